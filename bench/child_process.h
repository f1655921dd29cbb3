// A program a bench starts and watches from outside (Wallcine.exe, the bare graph, a window
// that covers the desktop): its process, its top-level windows, and its end. A child still
// running when the bench lets it go is ended, so a failed run leaves nothing behind.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace wallcine::bench {

class ChildProcess {
public:
    // Starts `exe` with `arguments` (each quoted); Started() says whether it did.
    ChildProcess(const std::wstring& exe, const std::vector<std::wstring>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const noexcept { return static_cast<bool>(process_); }
    DWORD Id() const noexcept { return id_; }
    HANDLE Handle() const noexcept { return process_.get(); }
    // WallSeconds() when CreateProcess returned.
    double StartTime() const noexcept { return start_time_; }
    bool Running() const;
    DWORD ExitCode() const;
    // The process's visible-or-not top-level window of that class, or nullptr.
    HWND Window(const wchar_t* class_name) const;
    // Waits for the end; false when it did not come within `milliseconds` (the process is then
    // ended by force).
    bool WaitForEnd(DWORD milliseconds);

private:
    win::unique_handle_kernel process_;
    DWORD id_ = 0;
    double start_time_ = 0;
};

}  // namespace wallcine::bench
