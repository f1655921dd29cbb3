#include "win/shell_windows.h"

namespace wallcine::win {

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

class SystemShell final : public IShellWindows {
public:
    HWND FindWindowExA(HWND parent, HWND child_after, const char* class_name) override {
        return ::FindWindowExA(parent, child_after, class_name, nullptr);
    }

    std::vector<HWND> TopLevelWindows() override {
        std::vector<HWND> windows;
        ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
        return windows;
    }

    bool SendMessageTimeoutA(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT flags, UINT timeout_ms,
                             DWORD_PTR* result) override {
        return ::SendMessageTimeoutA(window, message, wparam, lparam, flags, timeout_ms, result) != 0;
    }
};

IShellWindows* current_shell = nullptr;

}  // namespace

IShellWindows& SystemShellWindows() {
    static SystemShell shell;
    return shell;
}

IShellWindows& ShellWindows() { return current_shell ? *current_shell : SystemShellWindows(); }

ScopedShellWindows::ScopedShellWindows(IShellWindows& replacement)
    : ScopedOverride<IShellWindows>(current_shell, replacement) {}

}  // namespace wallcine::win
