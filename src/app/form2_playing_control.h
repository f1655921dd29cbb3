// TForm2: the playing control window (scrolling title, position and volume sliders, play/pause, elapsed and total time).
#pragma once

#include "app/auxiliary_form.h"

namespace wallcine::app {

class TForm2 : public AuxiliaryForm {
public:
    TForm2();
};

}  // namespace wallcine::app
