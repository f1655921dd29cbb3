// Whether the program runs under Wine, for the few places where Wine's behaviour needs a
// different way from Windows' (each says why).
#pragma once

namespace wallcine::win {

// True when ntdll is Wine's (it exports wine_get_version); asked once.
bool RunningUnderWine() noexcept;

}  // namespace wallcine::win
