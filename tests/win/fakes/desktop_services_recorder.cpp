#include "fakes/desktop_services_recorder.h"

#include <cstdio>

#include "core/errors.h"

namespace wallcine::test {

namespace {
std::string RootName(HKEY root) {
    if (root == HKEY_CURRENT_USER) return "HKCU";
    if (root == HKEY_LOCAL_MACHINE) return "HKLM";
    return "HKEY?";
}
std::string Relative(const std::string& path) { return path.starts_with('\\') ? path.substr(1) : path; }
}  // namespace

std::string DesktopServicesRecorder::KeyName(HKEY root, const std::string& key_path) {
    return RootName(root) + "\\" + Relative(key_path);
}

DWORD DesktopServicesRecorder::GetVersion() {
    calls.push_back("GetVersion");
    return version;
}

LSTATUS DesktopServicesRecorder::CreateRegistryKey(HKEY root, const std::string& key_path) {
    const std::string key = KeyName(root, key_path);
    calls.push_back("CreateRegistryKey " + key);
    if (create_key_result == ERROR_SUCCESS) keys.insert(key);
    return create_key_result;
}

LSTATUS DesktopServicesRecorder::QueryRegistryValue(HKEY root, const std::string& key_path, const std::string& name,
                                                    win::RegistryValue& value) {
    const std::string key = KeyName(root, key_path);
    calls.push_back("QueryRegistryValue " + key + " [" + name + "]");
    auto found = values.find({key, name});
    if (!keys.contains(key) || found == values.end()) return ERROR_FILE_NOT_FOUND;
    value = found->second;
    return ERROR_SUCCESS;
}

LSTATUS DesktopServicesRecorder::SetRegistryValue(HKEY root, const std::string& key_path, const std::string& name,
                                                  const win::RegistryValue& value) {
    const std::string key = KeyName(root, key_path);
    calls.push_back("SetRegistryValue " + key + " [" + name + "] type " + std::to_string(value.type));
    if (set_value_result != ERROR_SUCCESS) return set_value_result;
    keys.insert(key);
    values[{key, name}] = value;
    return ERROR_SUCCESS;
}

LSTATUS DesktopServicesRecorder::DeleteRegistryKey(HKEY root, const std::string& key_path) {
    const std::string key = KeyName(root, key_path);
    calls.push_back("DeleteRegistryKey " + key);
    bool found = false;
    for (auto it = keys.begin(); it != keys.end();) {
        if (*it == key || it->starts_with(key + "\\")) {
            found = true;
            it = keys.erase(it);
        } else {
            ++it;
        }
    }
    std::erase_if(values, [&](const auto& entry) {
        const std::string& owner = std::get<0>(entry.first);
        return owner == key || owner.starts_with(key + "\\");
    });
    return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

COLORREF DesktopServicesRecorder::GetSysColor(int element) {
    calls.push_back("GetSysColor " + std::to_string(element));
    return colors[element];
}

BOOL DesktopServicesRecorder::SetSysColors(int count, const int* elements, const COLORREF* new_colors) {
    for (int i = 0; i < count; ++i) {
        calls.push_back(Format("SetSysColors %d $%08lX", elements[i], static_cast<unsigned long>(new_colors[i])));
        colors[elements[i]] = new_colors[i];
    }
    return TRUE;
}

BOOL DesktopServicesRecorder::SystemParametersInfoA(UINT action, UINT param, void* data, UINT win_ini) {
    calls.push_back(Format("SystemParametersInfoA %u %u %s %u", action, param, data ? "data" : "null", win_ini));
    return TRUE;
}

int DesktopServicesRecorder::MessageBoxA(HWND owner, const char* text, const char* caption, UINT flags) {
    calls.push_back(Format("MessageBoxA %s [%s] [%s] %u", owner ? "owned" : "null", text, caption, flags));
    if (on_message_box) on_message_box(text);
    return message_box_result;
}

BOOL DesktopServicesRecorder::Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    calls.push_back(Format("Shell_NotifyIconA %lu", static_cast<unsigned long>(message)));
    if (data) notify_icon_records.push_back(*data);
    return TRUE;
}

HINSTANCE DesktopServicesRecorder::ShellExecuteA(HWND, const char* verb, const char* file, const char*, const char*,
                                                 int show) {
    calls.push_back(Format("ShellExecuteA %s %s %d", verb ? verb : "null", file ? file : "null", show));
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

HMONITOR DesktopServicesRecorder::MonitorFromWindow(HWND, DWORD flags) {
    calls.push_back(Format("MonitorFromWindow %lu", static_cast<unsigned long>(flags)));
    if (window_monitor) return window_monitor;
    return monitor_bounds.empty() ? nullptr : reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(1));
}

BOOL DesktopServicesRecorder::GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
    const auto index = reinterpret_cast<INT_PTR>(monitor) - 1;
    if (index < 0 || index >= static_cast<INT_PTR>(monitor_bounds.size())) return FALSE;
    info->rcMonitor = monitor_bounds[index];
    info->rcWork = monitor_bounds[index];
    info->dwFlags = index == 0 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

std::vector<HMONITOR> DesktopServicesRecorder::Monitors() {
    std::vector<HMONITOR> result;
    for (size_t i = 0; i < monitor_bounds.size(); ++i)
        result.push_back(reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(i + 1)));
    return result;
}

}  // namespace wallcine::test
