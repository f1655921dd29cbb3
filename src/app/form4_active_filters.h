// TForm4: the active filters window: the names of the filters in the main window's graph as they
// were when the window was shown, and their property pages on double-click. It only reads the
// graph. Created hidden; closing it only hides it.
#pragma once

#include "app/auxiliary_form.h"
#include "app/controls/list_box.h"
#include "win/unique_handle.h"

namespace wallcine::app {

class TForm4 : public AuxiliaryForm {
public:
    TForm4();

    // Fills the list from the graph (the main window also runs it to refresh the list).
    void FormShow() override;
    void ListBox1DblClick();

    TListBox ListBox1;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    void OnDpiChanged() override;

private:
    win::unique_hfont font_;
};

}  // namespace wallcine::app
