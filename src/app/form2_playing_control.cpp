#include "app/form2_playing_control.h"

namespace wallcine::app {

TForm2::TForm2() { CreateAuxiliaryForm("TForm2", " Wallcine Player 2.1", 290, 250); }

}  // namespace wallcine::app
