#include "child_process.h"

#include "cpu_clocks.h"

namespace wallcine::bench {

ChildProcess::ChildProcess(const std::wstring& exe, const std::vector<std::wstring>& arguments) {
    std::wstring command = L"\"" + exe + L"\"";
    for (const auto& argument : arguments) command += L" \"" + argument + L"\"";
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION created{};
    if (!::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &created))
        return;
    start_time_ = WallSeconds();
    ::CloseHandle(created.hThread);
    process_.reset(created.hProcess);
    id_ = created.dwProcessId;
}

ChildProcess::~ChildProcess() {
    if (process_ && Running()) {
        ::TerminateProcess(process_.get(), 99);
        ::WaitForSingleObject(process_.get(), 10000);
    }
}

bool ChildProcess::Running() const { return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

DWORD ChildProcess::ExitCode() const {
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

HWND ChildProcess::Window(const wchar_t* class_name) const {
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, class_name, nullptr)) != nullptr;) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == id_) return window;
    }
    return nullptr;
}

bool ChildProcess::WaitForEnd(DWORD milliseconds) {
    if (!process_) return true;
    if (::WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0) return true;
    ::TerminateProcess(process_.get(), 99);
    ::WaitForSingleObject(process_.get(), 10000);
    return false;
}

}  // namespace wallcine::bench
