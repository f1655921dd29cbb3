// One Wallcine at a time. A second start hands its argument to the running instance (which
// plays that file or playlist as "Load File" does, or shows its playing control when there is
// no argument) and ends: two instances would each take the desktop, and the second would take the
// first one's emptied wallpaper for the user's.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "win/unique_handle.h"

namespace wallcine::app {

// WM_COPYDATA's dwData for a handed-over argument (the bytes follow, without a NUL).
inline constexpr ULONG_PTR kHandOverTag = 0x57434C31;  // "WCL1"

class SingleInstance {
public:
    // Claims the instance; First() tells whether no other instance held it.
    SingleInstance();
    bool First() const noexcept { return first_; }

private:
    win::unique_handle_kernel mutex_;
    bool first_ = false;
};

// Hands `argument` to the running instance's main window; false when no such window answered.
bool HandOverToRunningInstance(const std::string& argument);

// The argument a WM_COPYDATA carries, when it is a hand-over.
std::optional<std::string> HandedOverArgument(const COPYDATASTRUCT& data);

}  // namespace wallcine::app
