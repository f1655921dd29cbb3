// DesktopTakeover: what desktop mode changes on the user's desktop (the wallpaper setting and the
// desktop colour) and how it is given back. It writes the user's values down in the restore
// journal before it changes anything, gives back in the reverse order, and removes the journal
// only when everything went back. Its destructor gives back what it still holds; a takeover that
// was never given back (the program was killed) is given back at the next start or by the
// watchdog, from the journal (RestoreAfterCrash).
#pragma once

#include <windows.h>

#include <optional>

#include "video/restore_journal.h"

namespace wallcine::video {

class DesktopTakeover {
public:
    DesktopTakeover() = default;
    ~DesktopTakeover();
    DesktopTakeover(const DesktopTakeover&) = delete;
    DesktopTakeover& operator=(const DesktopTakeover&) = delete;

    bool Taken() const noexcept { return taken_; }
    // The user's values as they were before the takeover (while taken).
    const DesktopOriginals& Originals() const noexcept { return originals_; }

    // Writes the journal, then empties the wallpaper setting and, when `desktop_color` is given,
    // paints the desktop in it. When the journal cannot be written nothing is changed (the user's
    // values would live in memory only) and the answer is false; desktop mode goes on without.
    bool Take(std::optional<COLORREF> desktop_color);
    // Puts the colour, then the wallpaper back, and removes the journal once both went back (a
    // journal kept is tried again at the next start). Nothing happens when nothing was taken.
    void GiveBack() noexcept;

private:
    DesktopOriginals originals_;
    bool taken_ = false;
};

}  // namespace wallcine::video
