// Feeds arbitrary bytes to the playlist text parser and checks what must hold
// for any input, not just well-formed playlists.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/playlist_file.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// True when every CR is followed by LF, every LF follows a CR, and the text
// is empty or ends with CR LF.
bool IsWrittenForm(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    }
    return text.empty() || text.back() == '\n';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> rows = wallcine::ParsePlaylistText(input);

    // Everything from the first NUL on is ignored.
    const std::string_view text = input.substr(0, input.find('\0'));

    std::size_t lineEndBytes = 0;
    std::string withoutLineEnds;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            ++lineEndBytes;
        } else {
            withoutLineEnds += c;
        }
    }

    // Each row is closed by at least one CR/LF byte, except possibly the last.
    Check(rows.size() <= lineEndBytes + 1);
    // Any text at all makes at least one row; no text makes none.
    Check(rows.empty() == text.empty());

    // Rows are the text with the line ends taken out, nothing lost or added.
    std::string joined;
    for (const std::string& row : rows) {
        Check(row.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        joined += row;
    }
    Check(joined == withoutLineEnds);

    // Writing the rows out and reading them back gives the same rows.
    const std::string written = wallcine::FormatPlaylistText(rows);
    Check(wallcine::ParsePlaylistText(written) == rows);
    // Text already in written form (no NUL, every line end a CR LF, the last
    // row closed too) is written back byte for byte.
    if (text.size() == size && IsWrittenForm(text)) Check(written == text);

    // The extension test must cope with any bytes as a path.
    (void)wallcine::IsPlaylistFile(input);
    return 0;
}
