#include "app/autostart.h"

#include <windows.h>

#include <cctype>
#include <vector>

namespace wallcine::app {

namespace {

bool SamePath(const std::string& a, const std::string& b) {
    // File names on Windows compare without regard to case.
    return ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                            static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string FullPath(const std::string& path) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return path;
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(length);
    }
}

bool EndsExeAt(const std::string& text, std::size_t end) {
    if (end < 4) return false;
    std::string suffix = text.substr(end - 4, 4);
    for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix == ".exe" && (end == text.size() || text[end] == ' ');
}

}  // namespace

std::string ProgramOfCommand(const std::string& command) {
    const std::size_t start = command.find_first_not_of(' ');
    if (start == std::string::npos) return {};
    if (command[start] == '"') {
        const std::size_t end = command.find('"', start + 1);
        return end == std::string::npos ? std::string() : command.substr(start + 1, end - start - 1);
    }
    // Unquoted, as Windows reads it: a path with blanks ends at its ".exe", another at a blank.
    for (std::size_t end = start + 1; end <= command.size(); ++end)
        if (EndsExeAt(command, end)) return command.substr(start, end - start);
    return command.substr(start, command.find(' ', start) - start);
}

bool RememberForNextSession(win::IDesktopServices& services, const std::string& exe_path,
                            const std::string& item_path) {
    win::RegistryValue current;
    if (services.QueryRegistryValue(HKEY_CURRENT_USER, kRunKey, kRunValueName, current) != ERROR_SUCCESS) return false;
    if (current.type != REG_SZ && current.type != REG_EXPAND_SZ) return false;
    if (!SamePath(ProgramOfCommand(current.AsString()), exe_path)) return false;
    const std::string command = "\"" + exe_path + "\" \"" + item_path + "\"";
    if (current.AsString() == command) return false;
    return services.SetRegistryValue(HKEY_CURRENT_USER, kRunKey, kRunValueName, win::RegistryValue::String(command)) ==
           ERROR_SUCCESS;
}

bool RememberForNextSession(const std::string& exe_path, const std::string& item) {
    if (item.empty()) return false;
    return RememberForNextSession(win::DesktopServices(), exe_path, FullPath(item));
}

}  // namespace wallcine::app
