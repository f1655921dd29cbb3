// TForm3: the playlist window. Its list box holds the live playlist rows: the supervision reads
// them to choose the next item. Add, delete, drag to reorder, double-click to play, save as a
// ".wcl" file. Created hidden; closing it only hides it.
#pragma once

#include <string>
#include <vector>

#include "app/auxiliary_form.h"
#include "app/controls/list_box.h"
#include "win/unique_handle.h"

namespace wallcine::app {

class TForm3 : public AuxiliaryForm {
public:
    TForm3();

    // Rebuilds the rows from the main window's open-dialog selection ("Load File" runs it too).
    void FormCreate();
    // Selects the row of the current item.
    void FormShow() override;

    void Button1Click();  // "Add to List"
    void Button2Click();  // "Delete from List"
    void Button4Click();  // "Save List"
    // Plays the selected row ("Delete from List" of the playing row runs it too).
    void ListBox1DblClick();

    TListBox ListBox1;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    void OnDpiChanged() override;

private:
    void CreateControls();
    // Appends the selection's rows (a playlist file gives its entries). Rows read before a
    // failing playlist file stay, and the error goes on to the caller.
    void AppendToRows(const std::vector<std::string>& selection);
    void ListBox1MouseDown(UINT button_message, bool double_click);
    void ListBox1MouseUp(UINT button_message, bool double_click);
    void FollowWidth(int client_width) noexcept;

    win::unique_hfont font_;
    int list_right_margin_ = 0;  // the list keeps its distance to the right edge (96-DPI pixels)
    // The row under the pointer when the left button went down.
    int DragFromIndex = 0;
};

}  // namespace wallcine::app
