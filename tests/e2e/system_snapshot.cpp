#include "system_snapshot.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "win/code_page.h"
#include "win/unique_handle.h"

namespace wallcine::e2e {

namespace {

struct FindTraits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE search) noexcept { ::FindClose(search); }
};
using unique_find = win::unique_handle<FindTraits>;

std::wstring DataText(DWORD type, const std::vector<BYTE>& data, DWORD size) {
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && size >= sizeof(wchar_t)) {
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        return L"text:" + text.substr(0, text.find(L'\0'));
    }
    std::wstring hex = std::to_wstring(type) + L":";
    wchar_t pair[3];
    for (DWORD i = 0; i < size; ++i) {
        std::swprintf(pair, 3, L"%02x", data[i]);
        hex += pair;
    }
    return hex;
}

void AddKey(HKEY key, const std::wstring& name, Snapshot& lines) {
    lines.insert(name);
    DWORD subkeys = 0, values = 0, longest_subkey = 0, longest_value = 0, largest_data = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longest_subkey, nullptr, &values,
                           &longest_value, &largest_data, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> value_name(longest_value + 2);
    std::vector<BYTE> data(largest_data + 2);
    for (DWORD i = 0; i < values; ++i) {
        DWORD name_length = static_cast<DWORD>(value_name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (::RegEnumValueW(key, i, value_name.data(), &name_length, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS)
            continue;
        lines.insert(name + L" [" + std::wstring(value_name.data(), name_length) + L"] = " + DataText(type, data, size));
    }
    std::vector<wchar_t> subkey_name(longest_subkey + 2);
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD length = static_cast<DWORD>(subkey_name.size());
        if (::RegEnumKeyExW(key, i, subkey_name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        const std::wstring child_name(subkey_name.data(), length);
        win::unique_hkey child;
        if (::RegOpenKeyExW(key, child_name.c_str(), 0, KEY_READ, child.put()) == ERROR_SUCCESS)
            AddKey(child.get(), name + L"\\" + child_name, lines);
    }
}

void AddFolder(const std::wstring& folder, const std::vector<std::wstring>& skipped, Snapshot& lines) {
    WIN32_FIND_DATAW found{};
    const unique_find search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (std::find(skipped.begin(), skipped.end(), path) != skipped.end()) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            lines.insert(path + L"\\");
            // A link to a folder elsewhere is noted, not followed.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) AddFolder(path, skipped, lines);
        } else {
            const ULONGLONG size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            lines.insert(path + L" (" + std::to_wstring(size) + L" bytes)");
        }
    } while (::FindNextFileW(search.get(), &found));
}

}  // namespace

Snapshot RegistrySnapshot(HKEY root, const std::wstring& root_name, const std::wstring& path) {
    Snapshot lines;
    win::unique_hkey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS)
        AddKey(key.get(), path.empty() ? root_name : root_name + L"\\" + path, lines);
    return lines;
}

Snapshot FileSnapshot(const std::wstring& folder, const std::vector<std::wstring>& skipped) {
    Snapshot lines;
    AddFolder(folder, skipped, lines);
    return lines;
}

std::string Differences(const Snapshot& before, const Snapshot& after) {
    std::vector<std::wstring> added, removed;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(removed));
    std::string text;
    for (const std::wstring& line : added) text += "+ " + win::WideToAnsi(line) + "\n";
    for (const std::wstring& line : removed) text += "- " + win::WideToAnsi(line) + "\n";
    return text;
}

}  // namespace wallcine::e2e
