// Where the test clip's picture lies on the screen when Wallcine letterboxes it onto the whole
// desktop, and whether a capture shows it there: the "testsrc" colour points (testsrc_picture.h)
// read at their screen places, and how much of the picture moved between two captures.
#pragma once

#include <windows.h>

#include <string>

#include "screenshot.h"

namespace wallcine::e2e {

// As large as fits with the clip's aspect ratio kept, centred, black bars beside it. Worked out
// here, not asked from the program.
RECT LetterboxedPicture(int clip_width, int clip_height);
// The screen point showing the middle of a pixel of the test clip (testsrc's size) in `picture`.
POINT ScreenPoint(const RECT& picture, int clip_x, int clip_y);
// The part of the picture the taskbar leaves visible: the video lies below every window.
RECT VisiblePicture(const RECT& picture);

// How many of testsrc's colour points inside `area` show their colour, and which do not.
struct ClipColourReading {
    int checked = 0;
    int shown = 0;
    std::string misses;
    bool AllShown() const noexcept { return checked > 0 && shown == checked; }
};
ClipColourReading ReadClipColours(const ScreenCapture& capture, const RECT& picture, const RECT& area);

// The fraction of the pixels inside `area` but outside `excluded` whose colour differs between
// the two captures by more than the colour tolerance in some channel.
double ChangedFraction(const ScreenCapture& before, const ScreenCapture& after, const RECT& area,
                       const RECT& excluded = {});

}  // namespace wallcine::e2e
