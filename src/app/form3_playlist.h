// TForm3: the playlist window (the rows, add, delete, reorder by dragging, play by double-click, save).
#pragma once

#include "app/auxiliary_form.h"

namespace wallcine::app {

class TForm3 : public AuxiliaryForm {
public:
    TForm3();
};

}  // namespace wallcine::app
