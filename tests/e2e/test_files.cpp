#include "test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "win/code_page.h"
#include "win/unique_handle.h"

namespace wallcine::e2e {

std::string BuildPath(const std::string& relative) {
    const char* build = std::getenv("WALLCINE_BUILD_DIR");
    EXPECT_NE(build, nullptr) << "WALLCINE_BUILD_DIR is not set";
    std::string path = std::string(build ? build : ".") + "\\" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string DriverSiblingPath(const std::string& file_name) {
    char driver[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, driver, sizeof driver);
    std::string path = driver;
    return path.substr(0, path.find_last_of('\\') + 1) + file_name;
}

std::string ClipPath(const char* name) {
    const std::string path = BuildPath(std::string("media\\") + name);
    EXPECT_NE(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << "no clip " << path;
    return path;
}

namespace {

// FindFirstFileW's handle, closed with FindClose.
struct FindTraits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE search) noexcept { ::FindClose(search); }
};
using unique_find = win::unique_handle<FindTraits>;

// The "\\?\" form of an absolute path: the wide file functions then take it at any length.
std::wstring Extended(const std::wstring& path) { return L"\\\\?\\" + path; }

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    if (unique_find search(::FindFirstFileW(Extended(folder + L"\\*").c_str(), &found)); search) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                // A read-only file cannot be deleted until it is writable again.
                ::SetFileAttributesW(Extended(path).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(Extended(path).c_str());
            }
        } while (::FindNextFileW(search.get(), &found));
    }
    ::RemoveDirectoryW(Extended(folder).c_str());
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "wallcine-e2e-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(::GetTickCount());
    EXPECT_TRUE(::CreateDirectoryA(path_.c_str(), nullptr)) << "cannot create " << path_;
}

ScratchDirectory::~ScratchDirectory() { RemoveTree(win::AnsiToWide(path_)); }

std::wstring ScratchDirectory::PathOf(const std::wstring& file_name) const {
    return win::AnsiToWide(path_) + L"\\" + file_name;
}

std::string ScratchDirectory::Write(const std::string& file_name, const std::string& bytes) const {
    const std::string path = PathOf(file_name);
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    EXPECT_TRUE(out.good()) << "cannot write " << path;
    return path;
}

std::wstring ScratchDirectory::Write(const std::wstring& file_name, const std::string& bytes) const {
    const std::wstring path = PathOf(file_name);
    EXPECT_TRUE(WriteFileBytes(path, bytes)) << "cannot write a file in " << path_ << ": error " << ::GetLastError();
    return path;
}

std::string ScratchDirectory::MakeFolder(const std::string& name) const {
    const std::string path = PathOf(name);
    EXPECT_TRUE(::CreateDirectoryA(path.c_str(), nullptr)) << "cannot create " << path;
    return path;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    win::unique_hfile file(::CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string MakeLongPath(const std::string& base, const std::string& file_name) {
    std::string folder = base;
    for (char letter = 'a'; folder.size() + 1 + file_name.size() <= MAX_PATH; ++letter) {
        folder += "\\" + std::string(100, letter);
        EXPECT_TRUE(::CreateDirectoryW(Extended(win::AnsiToWide(folder)).c_str(), nullptr))
            << "cannot create a folder of a long path: error " << ::GetLastError();
    }
    return folder + "\\" + file_name;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string RandomBytes(unsigned seed, std::size_t size) {
    std::mt19937 noise(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(noise() & 0xFF);
    return bytes;
}

std::string PlaylistBytes(const std::vector<std::string>& rows) {
    std::string bytes;
    for (const std::string& row : rows) bytes += row + "\r\n";
    return bytes;
}

std::string TitleText(const std::string& path) {
    const size_t blanks = path.size() + 4 >= 60 ? 4 : 60 - path.size();
    return path + std::string(blanks, ' ');
}

bool IsRotationOf(const std::string& shown, const std::string& title) {
    return shown.size() == title.size() && (title + title).find(shown) != std::string::npos;
}

}  // namespace wallcine::e2e
