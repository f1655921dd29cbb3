// Files the end-to-end tests use: the generated clips, playlist files written for a test, and
// the texts Wallcine derives from a path.
#pragma once

#include <string>
#include <vector>

namespace wallcine::e2e {

// A path under the build tree (WALLCINE_BUILD_DIR, as Wine sees it), e.g. "Wallcine.exe".
std::string BuildPath(const std::string& relative);
// A file next to this test program.
std::string DriverSiblingPath(const std::string& file_name);

// A path as one command-line argument.
inline std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// A clip that scripts/make-test-clips generated under the build tree, e.g. "red-1s.avi".
std::string ClipPath(const char* name);

// A directory of its own under the temporary directory, removed with what it holds.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string PathOf(const std::string& file_name) const { return path_ + "\\" + file_name; }
    // Writes `bytes` into the file and returns its path.
    std::string Write(const std::string& file_name, const std::string& bytes) const;

private:
    std::string path_;
};

// The bytes of a file; nothing (empty) when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Rows as a playlist file holds them: each followed by CR LF.
std::string PlaylistBytes(const std::vector<std::string>& rows);

// The playing control window's title for a path: the path, then blanks up to 60 characters
// and at least 4.
std::string TitleText(const std::string& path);
// Whether `shown` is `title` rotated left by some number of characters (the title scrolls).
bool IsRotationOf(const std::string& shown, const std::string& title);

}  // namespace wallcine::e2e
