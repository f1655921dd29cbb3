// "Start with Windows". The installer's option writes the value "Wallcine" under the user's Run
// key, naming the installed exe. Wallcine keeps that value's argument up to date with the file
// or playlist the user last opened, so the next session plays it. Wallcine never adds the value
// itself: without it (the user did not ask), or when it names another copy of the program,
// nothing is written.
#pragma once

#include <string>

#include "win/desktop_services.h"

namespace wallcine::app {

inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValueName[] = "Wallcine";

// The program a Run command starts: the quoted first token, else the text up to ".exe".
std::string ProgramOfCommand(const std::string& command);

// Rewrites the Run value as "exe" "item" when it starts `exe_path`; `item_path` is a full path.
// Returns whether the value was written.
bool RememberForNextSession(win::IDesktopServices& services, const std::string& exe_path,
                            const std::string& item_path);

// The same for an item as the user gave it (a command-line argument may be relative).
bool RememberForNextSession(const std::string& exe_path, const std::string& item);

}  // namespace wallcine::app
