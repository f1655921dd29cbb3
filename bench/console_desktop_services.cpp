#include "console_desktop_services.h"

#include <cstdio>

namespace wallcine::bench {

DWORD ConsoleDesktopServices::GetVersion() { return system_.GetVersion(); }

LSTATUS ConsoleDesktopServices::CreateRegistryKey(HKEY root, const std::string& key_path) {
    return system_.CreateRegistryKey(root, key_path);
}

LSTATUS ConsoleDesktopServices::QueryRegistryValue(HKEY root, const std::string& key_path, const std::string& name,
                                                   win::RegistryValue& value) {
    return system_.QueryRegistryValue(root, key_path, name, value);
}

LSTATUS ConsoleDesktopServices::SetRegistryValue(HKEY root, const std::string& key_path, const std::string& name,
                                                 const win::RegistryValue& value) {
    return system_.SetRegistryValue(root, key_path, name, value);
}

LSTATUS ConsoleDesktopServices::DeleteRegistryKey(HKEY root, const std::string& key_path) {
    return system_.DeleteRegistryKey(root, key_path);
}

COLORREF ConsoleDesktopServices::GetSysColor(int element) { return system_.GetSysColor(element); }

BOOL ConsoleDesktopServices::SetSysColors(int count, const int* elements, const COLORREF* colors) {
    return system_.SetSysColors(count, elements, colors);
}

BOOL ConsoleDesktopServices::SystemParametersInfoA(UINT action, UINT param, void* data, UINT win_ini) {
    return system_.SystemParametersInfoA(action, param, data, win_ini);
}

int ConsoleDesktopServices::MessageBoxA(HWND, const char* text, const char* caption, UINT) {
    ++errors_reported_;
    std::fprintf(stderr, "error reported by the components (%s): %s\n", caption ? caption : "", text ? text : "");
    return IDOK;
}

BOOL ConsoleDesktopServices::Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    return system_.Shell_NotifyIconA(message, data);
}

HINSTANCE ConsoleDesktopServices::ShellExecuteA(HWND owner, const char* verb, const char* file,
                                                const char* parameters, const char* directory, int show) {
    return system_.ShellExecuteA(owner, verb, file, parameters, directory, show);
}

HMONITOR ConsoleDesktopServices::MonitorFromWindow(HWND window, DWORD flags) {
    return system_.MonitorFromWindow(window, flags);
}

BOOL ConsoleDesktopServices::GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
    return system_.GetMonitorInfoA(monitor, info);
}

std::vector<HMONITOR> ConsoleDesktopServices::Monitors() { return system_.Monitors(); }

}  // namespace wallcine::bench
