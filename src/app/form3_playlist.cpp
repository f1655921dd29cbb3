#include "app/form3_playlist.h"

namespace wallcine::app {

TForm3::TForm3() { CreateAuxiliaryForm("TForm3", "Playlist", 400, 300); }

}  // namespace wallcine::app
