#include "wallcine_process.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <utility>

#include "app/control_ids.h"
#include "polling.h"
#include "test_files.h"
#include "tray_probe.h"
#include "win/code_page.h"

namespace wallcine::e2e {

std::string WallcineExePath() { return BuildPath("Wallcine.exe"); }

StartedProcess StartProcess(std::string command_line) { return StartProcess(win::AnsiToWide(command_line)); }

StartedProcess StartProcess(std::wstring command_line) {
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        ADD_FAILURE() << "cannot start " << win::WideToAnsi(command_line) << ": error " << ::GetLastError();
        return {};
    }
    win::unique_handle_kernel thread(info.hThread);  // not needed: closed at once
    return {win::unique_handle_kernel(info.hProcess), info.dwProcessId};
}

WallcineProcess::WallcineProcess(const std::string& arguments) : WallcineProcess(win::AnsiToWide(arguments)) {}

WallcineProcess::WallcineProcess(const std::wstring& arguments) {
    std::wstring command_line = win::AnsiToWide(Quoted(WallcineExePath()));
    if (!arguments.empty()) command_line += L" " + arguments;
    process_ = StartProcess(std::move(command_line));
}

WallcineProcess::~WallcineProcess() {
    if (!process_.handle) return;
    if (::WaitForSingleObject(Handle(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(Handle(), 99);
        ::WaitForSingleObject(Handle(), 5000);
    }
    // Its watchdog ends once it has given the desktop back: the next test starts after that.
    WaitUntil([this] { return WallcineProcessesOtherThan(Id()).empty(); }, 5000);
}

std::vector<DWORD> WallcineProcessesOtherThan(DWORD main) {
    std::vector<DWORD> found;
    win::unique_handle_kernel snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32 entry{sizeof entry};
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry)) {
        if (_stricmp(entry.szExeFile, "Wallcine.exe") == 0 && entry.th32ProcessID != main)
            found.push_back(entry.th32ProcessID);
    }
    return found;
}

HWND WallcineProcess::FindWindowNow(const char* class_name, const char* caption) const {
    const std::vector<HWND> windows = FindWindowsNow(class_name, caption);
    return windows.empty() ? nullptr : windows.front();
}

std::vector<HWND> WallcineProcess::FindWindowsNow(const char* class_name, const char* caption) const {
    std::vector<HWND> windows;
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, class_name, caption)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == Id()) windows.push_back(window);
    }
    return windows;
}

HWND WallcineProcess::WaitForWindow(const char* class_name, const char* caption, DWORD timeout_ms) const {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND window = FindWindowNow(class_name, caption)) return window;
        if (::GetTickCount() - start > timeout_ms) return nullptr;
        if (::WaitForSingleObject(Handle(), 50) == WAIT_OBJECT_0) return FindWindowNow(class_name, caption);
    }
}

WallcineProcess::Forms WallcineProcess::WaitForForms(DWORD timeout_ms) const {
    if (!WaitForWindow("TForm4", nullptr, timeout_ms)) return {};
    return {FindWindowNow("TForm1"), FindWindowNow("TForm2"), FindWindowNow("TForm3"), FindWindowNow("TForm4")};
}

WallcineProcess::Forms WallcineProcess::WaitUntilInTray() const {
    const Forms forms = WaitForForms();
    if (!forms.main || !WaitUntil([&] { return TrayHoldsIcon(forms.main, app::kTrayIconId); })) return {};
    return forms;
}

std::optional<DWORD> WallcineProcess::WaitForExit(DWORD timeout_ms) const {
    if (::WaitForSingleObject(Handle(), timeout_ms) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(Handle(), &code);
    return code;
}

std::optional<DWORD> ReadUserDword(const std::string& key, const std::string& name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (::RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY, &type, &value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

void DeleteUserValue(const std::string& key, const std::string& name) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
    ::RegDeleteValueA(handle, name.c_str());
    ::RegCloseKey(handle);
}

void WriteUserString(const std::string& key, const std::string& name, const std::string& value) {
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                                static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
}

void DeleteUserKeyTree(const std::string& key) { ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()); }

namespace {
constexpr char kWallcineAppDefaults[] = "Software\\Wine\\AppDefaults\\Wallcine.exe";
}

WineVersionForWallcine::WineVersionForWallcine(const char* version) {
    WriteUserString(kWallcineAppDefaults, "Version", version);
}

WineVersionForWallcine::~WineVersionForWallcine() { DeleteUserKeyTree(kWallcineAppDefaults); }

std::string WindowText(HWND window) {
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

}  // namespace wallcine::e2e
