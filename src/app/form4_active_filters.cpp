#include "app/form4_active_filters.h"

namespace wallcine::app {

TForm4::TForm4() { CreateAuxiliaryForm("TForm4", "Active Filters", 320, 240); }

}  // namespace wallcine::app
