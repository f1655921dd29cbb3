// TForm1: the hidden main window. It is never shown; it owns the tray icon, the media
// components and the playback supervision, and closing it ends the program.
#pragma once

#include "app/form_window.h"

namespace wallcine::app {

class TForm1 : public FormWindow {
public:
    TForm1();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
};

}  // namespace wallcine::app
