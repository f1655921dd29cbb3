#include "core/playlist_file.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "core/errors.h"

namespace wallcine {

namespace {

// <cstdio> rather than <fstream>/<filesystem>: with MinGW the narrow fopen
// takes the path in the ANSI code page, which is what an 8-bit playlist holds,
// and on Linux it lets a directory fail at the first read (EISDIR).
struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

constexpr std::string_view kPlaylistExtension = ".wcl";

}  // namespace

std::string_view FileExtension(std::string_view path) {
    const std::size_t dot = path.find_last_of(".\\:");
    if (dot == std::string_view::npos || path[dot] != '.') return {};
    return path.substr(dot);
}

bool IsPlaylistFile(std::string_view path) {
    return FileExtension(path) == kPlaylistExtension;
}

std::vector<std::string> ParsePlaylistText(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    const std::string_view text = bytes.substr(0, nul);  // npos keeps it all

    std::vector<std::string> rows;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        rows.emplace_back(text.substr(start, i - start));
        // CR LF is a single line end.
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        ++i;
        start = i;
    }
    if (start < text.size()) rows.emplace_back(text.substr(start));
    return rows;
}

std::string FormatPlaylistText(const std::vector<std::string>& rows) {
    std::size_t size = 0;
    for (const std::string& row : rows) size += row.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& row : rows) {
        text += row;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> ReadPlaylistFile(const std::string& path) {
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) throw EFOpenError(path);

    // Read everything before parsing, so a read error never yields half a list.
    std::string bytes;
    char buffer[16 * 1024];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, got);
        if (got < sizeof buffer) break;
    }
    // A directory opens on Linux but fails its first read; any other read
    // error means the file could not be opened for what we need either.
    if (std::ferror(file.get())) throw EFOpenError(path);
    return ParsePlaylistText(bytes);
}

void WritePlaylistFile(const std::string& path, const std::vector<std::string>& rows) {
    const std::string text = FormatPlaylistText(rows);

    std::FILE* raw = std::fopen(path.c_str(), "wb");
    if (!raw) throw EFCreateError(path);
    FileHandle file(raw);

    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    // Buffered data reaches the disk on flush/close; a failure there (e.g. a
    // full disk) is a failed write too, not a success.
    const bool flushed = std::fflush(file.get()) == 0;
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !flushed || !closed) throw EWriteError(path);
}

std::string FirstPlaylistEntry(const std::string& path) {
    std::vector<std::string> rows = ReadPlaylistFile(path);
    if (rows.empty()) throw EListError(0);
    return std::move(rows.front());
}

}  // namespace wallcine
