// Helpers for driving the real Wallcine.exe from a test: start it, find its windows by class,
// wait for it to end, and read and write the registry it uses.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace wallcine::e2e {

// The Wallcine.exe under test, from the build tree, as a Windows path.
std::string WallcineExePath();

class WallcineProcess {
public:
    explicit WallcineProcess(const std::string& arguments = {});
    ~WallcineProcess();  // ends the process if a test left it running
    WallcineProcess(const WallcineProcess&) = delete;
    WallcineProcess& operator=(const WallcineProcess&) = delete;

    DWORD Id() const noexcept { return info_.dwProcessId; }
    HANDLE Handle() const noexcept { return info_.hProcess; }
    // The process's top-level window of that class (and caption, when given), waiting for it.
    HWND WaitForWindow(const char* class_name, const char* caption = nullptr, DWORD timeout_ms = 15000) const;
    HWND FindWindowNow(const char* class_name, const char* caption = nullptr) const;
    // The exit code, or nothing when the process is still running after the time-out.
    std::optional<DWORD> WaitForExit(DWORD timeout_ms = 15000) const;

private:
    PROCESS_INFORMATION info_{};
};

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
