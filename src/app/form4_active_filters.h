// TForm4: the list of the filters in the graph, each opening its property pages.
#pragma once

#include "app/auxiliary_form.h"

namespace wallcine::app {

class TForm4 : public AuxiliaryForm {
public:
    TForm4();
};

}  // namespace wallcine::app
