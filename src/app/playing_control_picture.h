// The picture the playing control window shows: a 192 x 144 JPEG (a grey skull and crossbones on
// a dark ground), drawn by scripts/make-playing-control-picture and compiled in by the build.
#pragma once

#include <span>

namespace wallcine::app {

std::span<const unsigned char> PlayingControlPicture() noexcept;

}  // namespace wallcine::app
