// What an installer may leave behind, written down at one moment so that two moments can be
// compared: every key and value under a registry key, and every file and folder under a folder,
// one line of text each.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace wallcine::e2e {

using Snapshot = std::set<std::wstring>;

// "HKCU\path" for each key, "HKCU\path [name] = type:data" for each value.
Snapshot RegistrySnapshot(HKEY root, const std::wstring& root_name, const std::wstring& path = {});
// Each file and folder's path with the file's size, leaving out the folders named in `skipped`.
Snapshot FileSnapshot(const std::wstring& folder, const std::vector<std::wstring>& skipped = {});

// The lines only `after` has ("+ line") and those only `before` has ("- line"), one per line.
std::string Differences(const Snapshot& before, const Snapshot& after);

}  // namespace wallcine::e2e
