// The restore journal: what desktop mode is about to change on the user's desktop, written to
// the registry (HKCU\Software\Wallcine\Restore) before anything changes and removed only after
// everything was put back. A journal found at start, or by the watchdog once Wallcine has ended,
// means a run ended without putting the desktop back (a crash, a kill, a power cut): its values
// are the user's, and go back first.
//
// The record: "WallPaper" (REG_SZ, the wallpaper setting as it was), "WallPaperExisted"
// (REG_DWORD 0/1: whether that value existed at all), "DesktopColor" (REG_DWORD RGB, only when
// the colour is changed) and "Complete" (REG_DWORD 1, written last: a record without it was cut
// short before anything changed). Anything else is unreadable: it is set aside, never applied.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "win/desktop_services.h"

namespace wallcine::video {

inline constexpr char kRestoreJournalKey[] = "Software\\Wallcine\\Restore";
// Where an unreadable journal is kept, with a note saying why, instead of being applied.
inline constexpr char kSetAsideJournalKey[] = "Software\\Wallcine\\Restore.SetAside";

// The user's own values, as they were before desktop mode changed them.
struct DesktopOriginals {
    bool wallpaper_existed = false;  // the setting is rewritten only where it existed
    std::string wallpaper;
    std::optional<COLORREF> desktop_color;  // set only when desktop mode changes the colour
    bool operator==(const DesktopOriginals&) const = default;
};

struct JournalReading {
    enum class State { kNone, kReadable, kUnreadable } state = State::kNone;
    DesktopOriginals originals;  // kReadable only
    std::string problem;         // kUnreadable only: what is wrong with it
};

// Writes the record (the old one replaced); false when the registry refused any of it.
bool WriteRestoreJournal(win::IDesktopServices& services, const DesktopOriginals& originals);
JournalReading ReadRestoreJournal(win::IDesktopServices& services);
void RemoveRestoreJournal(win::IDesktopServices& services);
// Moves an unreadable journal's known values under kSetAsideJournalKey with a note, and removes it.
void SetRestoreJournalAside(win::IDesktopServices& services, const std::string& problem);

// Puts the originals back on the desktop: the colour first, then the wallpaper (the reverse of
// the order desktop mode changed them). False when any step was refused.
bool ApplyDesktopOriginals(win::IDesktopServices& services, const DesktopOriginals& originals);

// What a start (or the watchdog) found of a run that never restored the desktop.
enum class CrashRestore { kNothing, kRestored, kRestoreFailed, kSetAside };
// Restores the desktop from a journal left behind and then removes the journal; sets aside one
// that cannot be read. One call, first thing at start and in the watchdog.
CrashRestore RestoreAfterCrash(win::IDesktopServices& services);

}  // namespace wallcine::video
