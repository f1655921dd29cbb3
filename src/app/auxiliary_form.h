// AuxiliaryForm: what the playing control, playlist and active filters windows share. They are
// created hidden, shown on demand, and closing one only hides it.
#pragma once

#include "app/form_window.h"

namespace wallcine::app {

class AuxiliaryForm : public FormWindow {
protected:
    // A small captioned tool window (no taskbar button) of the given client-independent size.
    void CreateAuxiliaryForm(const char* class_name, const char* caption, int width, int height);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
};

}  // namespace wallcine::app
