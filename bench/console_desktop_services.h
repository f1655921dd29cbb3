// The system's desktop services for a bench program, except that an error the components report
// goes to stderr instead of a message box, which nobody would close on a headless display.
#pragma once

#include <string>
#include <vector>

#include "win/desktop_services.h"

namespace wallcine::bench {

class ConsoleDesktopServices final : public win::IDesktopServices {
public:
    int ErrorsReported() const noexcept { return errors_reported_; }

    DWORD GetVersion() override;
    LSTATUS CreateRegistryKey(HKEY root, const std::string& key_path) override;
    LSTATUS QueryRegistryValue(HKEY root, const std::string& key_path, const std::string& name,
                               win::RegistryValue& value) override;
    LSTATUS SetRegistryValue(HKEY root, const std::string& key_path, const std::string& name,
                             const win::RegistryValue& value) override;
    LSTATUS DeleteRegistryKey(HKEY root, const std::string& key_path) override;
    COLORREF GetSysColor(int element) override;
    BOOL SetSysColors(int count, const int* elements, const COLORREF* colors) override;
    BOOL SystemParametersInfoA(UINT action, UINT param, void* data, UINT win_ini) override;
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;
    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override;
    HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int show) override;
    HMONITOR MonitorFromWindow(HWND window, DWORD flags) override;
    BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) override;
    std::vector<HMONITOR> Monitors() override;

private:
    win::IDesktopServices& system_ = win::SystemDesktopServices();
    int errors_reported_ = 0;
};

}  // namespace wallcine::bench
