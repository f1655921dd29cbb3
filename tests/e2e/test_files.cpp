#include "test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

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

ScratchDirectory::ScratchDirectory() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "wallcine-e2e-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(::GetTickCount());
    EXPECT_TRUE(::CreateDirectoryA(path_.c_str(), nullptr)) << "cannot create " << path_;
}

ScratchDirectory::~ScratchDirectory() {
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileA(PathOf(found.cFileName).c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(path_.c_str());
}

std::string ScratchDirectory::Write(const std::string& file_name, const std::string& bytes) const {
    const std::string path = PathOf(file_name);
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    EXPECT_TRUE(out.good()) << "cannot write " << path;
    return path;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
