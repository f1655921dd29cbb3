// Decoding a JPEG held in memory into a 24-bit top-down DIB section with libjpeg. A damaged or
// unsupported picture raises EPictureError with libjpeg's own message; libjpeg never ends the
// process and prints nothing.
#pragma once

#include <windows.h>

#include <span>

#include "core/errors.h"
#include "win/unique_handle.h"

namespace wallcine::app {

class EPictureError : public Exception {
public:
    using Exception::Exception;
};

struct DecodedPicture {
    win::unique_hbitmap bitmap;  // 24 bits per pixel, rows top-down
    int width = 0;
    int height = 0;
};

DecodedPicture DecodeJpeg(std::span<const unsigned char> data);

}  // namespace wallcine::app
