// The desktop services Wallcine relies on (version, registry, system colours, wallpaper,
// message boxes, tray, shell, monitors), behind one small interface: real Win32 by default,
// a recorder in tests (ScopedDesktopServices).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "win/platform_override.h"

namespace wallcine::win {

// A registry value as stored: its type and raw bytes.
struct RegistryValue {
    DWORD type = REG_NONE;
    std::string data;

    static RegistryValue Dword(DWORD value);
    static RegistryValue String(const std::string& text);  // REG_SZ, terminating NUL included
    bool IsDword() const noexcept { return type == REG_DWORD && data.size() == sizeof(DWORD); }
    DWORD AsDword() const noexcept;        // only when IsDword()
    std::string AsString() const;          // REG_SZ/REG_EXPAND_SZ text up to the first NUL
};

class IDesktopServices {
public:
    virtual ~IDesktopServices() = default;

    virtual DWORD GetVersion() = 0;

    // Key paths are relative to `root`; a leading "\" is allowed and ignored.
    // Opens the key, creating it when missing.
    virtual LSTATUS CreateRegistryKey(HKEY root, const std::string& key_path) = 0;
    // ERROR_FILE_NOT_FOUND when the key or the value does not exist.
    virtual LSTATUS QueryRegistryValue(HKEY root, const std::string& key_path, const std::string& name,
                                       RegistryValue& value) = 0;
    // Creates the key when missing.
    virtual LSTATUS SetRegistryValue(HKEY root, const std::string& key_path, const std::string& name,
                                     const RegistryValue& value) = 0;
    // Deletes the key with its values and subkeys; ERROR_FILE_NOT_FOUND when it does not exist.
    virtual LSTATUS DeleteRegistryKey(HKEY root, const std::string& key_path) = 0;

    virtual COLORREF GetSysColor(int element) = 0;
    virtual BOOL SetSysColors(int count, const int* elements, const COLORREF* colors) = 0;
    virtual BOOL SystemParametersInfoA(UINT action, UINT param, void* data, UINT win_ini) = 0;

    virtual int MessageBoxA(HWND owner, const char* text, const char* caption, UINT flags) = 0;
    virtual BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) = 0;
    virtual HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                                    const char* directory, int show) = 0;

    virtual HMONITOR MonitorFromWindow(HWND window, DWORD flags) = 0;
    virtual BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) = 0;
    virtual std::vector<HMONITOR> Monitors() = 0;  // the display monitors, in the system's order
};

// The system's services: every call goes straight to Win32.
IDesktopServices& SystemDesktopServices();
// What the components call: the system's services unless a test has put a recorder in place.
IDesktopServices& DesktopServices();

class ScopedDesktopServices : public ScopedOverride<IDesktopServices> {
public:
    explicit ScopedDesktopServices(IDesktopServices& replacement);
};

}  // namespace wallcine::win
