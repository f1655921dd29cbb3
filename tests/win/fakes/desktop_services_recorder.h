// DesktopServicesRecorder: stands in for the desktop services. It keeps a registry of its own,
// a desktop colour and a list of monitors, records every call in order as a readable line, and
// has knobs for the failures a test wants to provoke. Install it with ScopedDesktopServices.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "win/desktop_services.h"

namespace wallcine::test {

class DesktopServicesRecorder : public win::IDesktopServices {
public:
    // Knobs.
    DWORD version = 0x1DB10106;          // 6.1 build 7601
    LSTATUS create_key_result = ERROR_SUCCESS;
    LSTATUS set_value_result = ERROR_SUCCESS;
    int message_box_result = IDOK;
    // Runs while a message box "is shown", with its text: a test looks at the program's state at
    // that moment, or pumps messages as the box's own loop would.
    std::function<void(const std::string& text)> on_message_box;
    // When set, MonitorFromWindow answers this monitor whatever the list holds.
    HMONITOR window_monitor = nullptr;

    // State.
    std::vector<std::string> calls;
    std::set<std::string> keys;  // "root|path" of keys that exist
    std::map<std::tuple<std::string, std::string>, win::RegistryValue> values;  // (key, name)
    std::map<int, COLORREF> colors;
    std::vector<NOTIFYICONDATAA> notify_icon_records;  // the tray records passed, in order

    static std::string KeyName(HKEY root, const std::string& key_path);

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
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT flags) override;
    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override;
    HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int show) override;
    HMONITOR MonitorFromWindow(HWND window, DWORD flags) override;
    BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) override;
    std::vector<HMONITOR> Monitors() override;

    // Monitors the recorder reports: handle i+1 is monitors_bounds[i].
    std::vector<RECT> monitor_bounds{{0, 0, 1024, 768}};
};

}  // namespace wallcine::test
