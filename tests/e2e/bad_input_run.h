// Steps the bad-input tests share: starting Wallcine on a bad input and letting it run while
// every message box it shows is read and dismissed, then ending it through its tray menu and
// checking that it left cleanly.
#pragma once

#include <gmock/gmock.h>

#include <optional>
#include <string>
#include <vector>

#include "polling.h"
#include "system_dialogs.h"
#include "wallcine_process.h"
#include "win/unique_handle.h"

namespace wallcine::e2e {

// A message the user can act on: some text, and not the catch-all of an unknown failure.
inline ::testing::Matcher<const std::string&> ClearMessage() {
    return ::testing::AllOf(::testing::Not(::testing::IsEmpty()), ::testing::Ne("Unknown error."));
}

// Waits, reading the boxes shown meanwhile, until Wallcine plays from the tray (its four windows
// made and its icon there); nullptrs when it ended or did not get there in time.
WallcineProcess::Forms WaitUntilInTray(const WallcineProcess& wallcine, MessageBoxWatch& boxes,
                                       DWORD timeout_ms = kPatience);

// "Playing Control" from the tray menu: true once the window shows (with the playing item's title).
bool ShowPlayingControl(const WallcineProcess::Forms& forms);

// The test's wallpaper value and desktop colour are in place (`when` says at which moment).
void ExpectDesktopAsTheTestSetIt(const char* when);

// The same when the program ended on its own (a crash, or an exit nobody asked for): whatever
// the end, it must not leave the user's desktop changed. Returns whether it ended.
bool EndedOnItsOwnLeavingTheDesktop(const WallcineProcess& wallcine);

// "Exit" from the tray menu, reading any box shown on the way out: expects exit code 0 and the
// test's wallpaper value and desktop colour back.
void ExitAndExpectDesktopBack(const WallcineProcess& wallcine, HWND main_window, MessageBoxWatch& boxes);

// The position the playing control window's status bar shows, in seconds; nothing before the
// first tick has written it.
std::optional<double> ShownPosition(const WallcineProcess& wallcine, HWND playing_control);

// Opens a file with no sharing for the life of the object: no other process can open it then.
class LockedFile {
public:
    explicit LockedFile(const std::string& path);

private:
    win::unique_hfile file_;
};

// Whether the system's 8-bit code page lacks some character of `text`: the ANSI functions then
// cannot name a file of that name.
bool AnsiCodePageLacks(const std::wstring& text);

// Prints what the user was told, so that a run's log shows the texts of every case.
void PrintMessage(const std::string& what, const std::string& text);

}  // namespace wallcine::e2e
