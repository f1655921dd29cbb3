// Helpers for driving the real Wallcine.exe from a test: start it, find its windows by class,
// wait until it plays from the tray or until it ends, and read and write the registry it uses.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "win/unique_handle.h"

namespace wallcine::e2e {

// The Wallcine.exe under test, from the build tree, as a Windows path.
std::string WallcineExePath();

// A process the driver started: its handle (owned) and id. An empty handle when it did not start
// (the test has then been failed with the reason).
struct StartedProcess {
    win::unique_handle_kernel handle;
    DWORD id = 0;
};
// Started through the Unicode API, so that a command line may name files the ANSI code page lacks.
StartedProcess StartProcess(std::string command_line);
StartedProcess StartProcess(std::wstring command_line);

class WallcineProcess {
public:
    explicit WallcineProcess(const std::string& arguments = {});
    explicit WallcineProcess(const std::wstring& arguments);
    // A Wallcine started otherwise (another exe, the shell); an empty one fails the waits.
    explicit WallcineProcess(StartedProcess started) noexcept : process_(std::move(started)) {}
    ~WallcineProcess();  // ends the process if a test left it running
    WallcineProcess(const WallcineProcess&) = delete;
    WallcineProcess& operator=(const WallcineProcess&) = delete;

    DWORD Id() const noexcept { return process_.id; }
    HANDLE Handle() const noexcept { return process_.handle.get(); }
    // The process's top-level window of that class (and caption, when given), waiting for it.
    HWND WaitForWindow(const char* class_name, const char* caption = nullptr, DWORD timeout_ms = 15000) const;
    HWND FindWindowNow(const char* class_name, const char* caption = nullptr) const;
    std::vector<HWND> FindWindowsNow(const char* class_name, const char* caption = nullptr) const;
    // The exit code, or nothing when the process is still running after the time-out.
    std::optional<DWORD> WaitForExit(DWORD timeout_ms = 15000) const;

    // The four windows once start-up has made them all (each window's creation handler has run
    // before the next window is made, so the last one's presence means the others are complete);
    // nullptrs when they do not all come.
    struct Forms {
        HWND main = nullptr;              // TForm1
        HWND playing_control = nullptr;   // TForm2
        HWND playlist = nullptr;          // TForm3
        HWND active_filters = nullptr;    // TForm4
    };
    Forms WaitForForms(DWORD timeout_ms = 15000) const;
    // The four windows once the first item plays and the tray icon is there; nullptrs otherwise.
    Forms WaitUntilInTray() const;

private:
    StartedProcess process_;
};

// The Wallcine.exe processes running other than `main` (its watchdog, a second start).
std::vector<DWORD> WallcineProcessesOtherThan(DWORD main);

// Registry helpers on HKEY_CURRENT_USER.
std::optional<DWORD> ReadUserDword(const std::string& key, const std::string& name);
void DeleteUserValue(const std::string& key, const std::string& name);
void WriteUserString(const std::string& key, const std::string& name, const std::string& value);
void DeleteUserKeyTree(const std::string& key);

// Makes Wine report the given Windows version ("win7", "win8", ...) to Wallcine.exe only, for
// the life of the object.
class WineVersionForWallcine {
public:
    explicit WineVersionForWallcine(const char* version);
    ~WineVersionForWallcine();
};

std::string WindowText(HWND window);

}  // namespace wallcine::e2e
