// Files the end-to-end tests use: the generated clips, playlist files written for a test, and
// the texts Wallcine derives from a path.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace wallcine::e2e {

// A path under the build tree (WALLCINE_BUILD_DIR, as Wine sees it), e.g. "Wallcine.exe".
std::string BuildPath(const std::string& relative);
// A file next to this test program.
std::string DriverSiblingPath(const std::string& file_name);

// A path as one command-line argument.
inline std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// A clip that scripts/make-test-clips generated under the build tree, e.g. "red-1s.avi".
std::string ClipPath(const char* name);

// A directory of its own under the temporary directory, removed with everything it holds (files
// with any name, read-only ones, folders, paths longer than MAX_PATH).
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string PathOf(const std::string& file_name) const { return path_ + "\\" + file_name; }
    std::wstring PathOf(const std::wstring& file_name) const;
    // Writes `bytes` into the file and returns its path.
    std::string Write(const std::string& file_name, const std::string& bytes) const;
    // The same for a name the ANSI code page may lack (created with CreateFileW).
    std::wstring Write(const std::wstring& file_name, const std::string& bytes) const;
    // Makes a folder in the directory and returns its path.
    std::string MakeFolder(const std::string& name) const;

private:
    std::string path_;
};

// Writes `bytes` into a file (the path may be longer than MAX_PATH); false when it cannot.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Folders of 100-character names under the folder `base`, deep enough that the path of
// `file_name` in the last is longer than MAX_PATH; the folders are made, the file's path returned.
std::string MakeLongPath(const std::string& base, const std::string& file_name);

// The bytes of a file; nothing (empty) when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// `size` bytes of noise, the same for the same seed.
std::string RandomBytes(unsigned seed, std::size_t size);
// Rows as a playlist file holds them: each followed by CR LF.
std::string PlaylistBytes(const std::vector<std::string>& rows);

// The playing control window's title for a path: the path, then blanks up to 60 characters
// and at least 4.
std::string TitleText(const std::string& path);
// Whether `shown` is `title` rotated left by some number of characters (the title scrolls).
bool IsRotationOf(const std::string& shown, const std::string& title);

}  // namespace wallcine::e2e
