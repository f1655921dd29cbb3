#include "win/desktop_services.h"

#include <cstring>

#include "win/unique_handle.h"

namespace wallcine::win {

RegistryValue RegistryValue::Dword(DWORD value) {
    RegistryValue result;
    result.type = REG_DWORD;
    result.data.assign(reinterpret_cast<const char*>(&value), sizeof value);
    return result;
}

RegistryValue RegistryValue::String(const std::string& text) {
    RegistryValue result;
    result.type = REG_SZ;
    result.data = text;
    result.data.push_back('\0');
    return result;
}

DWORD RegistryValue::AsDword() const noexcept {
    DWORD value = 0;
    if (IsDword()) std::memcpy(&value, data.data(), sizeof value);
    return value;
}

std::string RegistryValue::AsString() const {
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    return data.substr(0, data.find('\0'));
}

namespace {

std::string RelativeKeyPath(const std::string& key_path) {
    return key_path.starts_with('\\') ? key_path.substr(1) : key_path;
}

class SystemServices final : public IDesktopServices {
public:
    DWORD GetVersion() override { return ::GetVersion(); }

    LSTATUS CreateRegistryKey(HKEY root, const std::string& key_path) override {
        unique_hkey key;
        return ::RegCreateKeyExA(root, RelativeKeyPath(key_path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr);
    }

    LSTATUS QueryRegistryValue(HKEY root, const std::string& key_path, const std::string& name,
                               RegistryValue& value) override {
        unique_hkey key;
        LSTATUS status = ::RegOpenKeyExA(root, RelativeKeyPath(key_path).c_str(), 0, KEY_READ, key.put());
        if (status != ERROR_SUCCESS) return status;
        // The value can change size between the two calls; ask again until it fits.
        for (;;) {
            DWORD type = REG_NONE;
            DWORD size = 0;
            status = ::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
            if (status != ERROR_SUCCESS) return status;
            std::string data(size, '\0');
            status = ::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(data.data()), &size);
            if (status == ERROR_MORE_DATA) continue;
            if (status != ERROR_SUCCESS) return status;
            data.resize(size);
            value.type = type;
            value.data = std::move(data);
            return ERROR_SUCCESS;
        }
    }

    LSTATUS SetRegistryValue(HKEY root, const std::string& key_path, const std::string& name,
                             const RegistryValue& value) override {
        unique_hkey key;
        LSTATUS status = ::RegCreateKeyExA(root, RelativeKeyPath(key_path).c_str(), 0, nullptr,
                                           REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.put(), nullptr);
        if (status != ERROR_SUCCESS) return status;
        return ::RegSetValueExA(key.get(), name.c_str(), 0, value.type,
                                reinterpret_cast<const BYTE*>(value.data.data()),
                                static_cast<DWORD>(value.data.size()));
    }

    LSTATUS DeleteRegistryKey(HKEY root, const std::string& key_path) override {
        // The key itself goes too, as it is named by a subkey path.
        return ::RegDeleteTreeA(root, RelativeKeyPath(key_path).c_str());
    }

    COLORREF GetSysColor(int element) override { return ::GetSysColor(element); }
    BOOL SetSysColors(int count, const int* elements, const COLORREF* colors) override {
        return ::SetSysColors(count, elements, colors);
    }
    BOOL SystemParametersInfoA(UINT action, UINT param, void* data, UINT win_ini) override {
        return ::SystemParametersInfoA(action, param, data, win_ini);
    }

    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT flags) override {
        return ::MessageBoxA(owner, text, caption, flags);
    }
    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override {
        return ::Shell_NotifyIconA(message, data);
    }
    HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int show) override {
        return ::ShellExecuteA(owner, verb, file, parameters, directory, show);
    }

    HMONITOR MonitorFromWindow(HWND window, DWORD flags) override { return ::MonitorFromWindow(window, flags); }
    BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) override {
        return ::GetMonitorInfoA(monitor, info);
    }
    std::vector<HMONITOR> Monitors() override {
        std::vector<HMONITOR> monitors;
        ::EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
        return monitors;
    }

private:
    static BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, RECT*, LPARAM list) {
        reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
        return TRUE;
    }
};

SystemServices system_services;
IDesktopServices* current_services = &system_services;

}  // namespace

IDesktopServices& SystemDesktopServices() { return system_services; }
IDesktopServices& DesktopServices() { return *current_services; }

ScopedDesktopServices::ScopedDesktopServices(IDesktopServices& replacement)
    : ScopedOverride<IDesktopServices>(current_services, replacement) {}

}  // namespace wallcine::win
