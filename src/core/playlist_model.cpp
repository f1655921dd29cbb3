#include "core/playlist_model.h"

#include <climits>
#include <cstddef>
#include <iterator>

#include "core/errors.h"

namespace wallcine {

namespace {

constexpr char FoldAscii(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

void AppendSelection(std::vector<std::string>& rows, const std::vector<std::string>& selection,
                     const PlaylistReader& reader) {
    for (const std::string& item : selection) {
        if (!IsPlaylistFile(item)) {
            rows.push_back(item);
            continue;
        }
        std::vector<std::string> entries = reader(item);
        rows.insert(rows.end(), std::make_move_iterator(entries.begin()),
                    std::make_move_iterator(entries.end()));
    }
}

void RebuildFromSelection(std::vector<std::string>& rows, const std::vector<std::string>& selection,
                          const PlaylistReader& reader) {
    rows.clear();
    AppendSelection(rows, selection, reader);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

int FindFirstRowIgnoringCase(const std::vector<std::string>& rows, std::string_view current, RowMatcher equal) {
    // The list control indexes rows with int; rows beyond that cannot be shown.
    const std::size_t count = rows.size() < static_cast<std::size_t>(INT_MAX) ? rows.size()
                                                                              : static_cast<std::size_t>(INT_MAX);
    for (std::size_t i = 0; i < count; ++i) {
        if (equal(rows[i], current)) return static_cast<int>(i);
    }
    return -1;
}

NextItem FindNextItem(const std::vector<std::string>& rows, std::string_view current, RowMatcher equal,
                      int playing_row) {
    if (rows.empty()) throw EListError(0);
    const bool playing_row_known = playing_row >= 0 && static_cast<std::size_t>(playing_row) < rows.size() &&
                                   equal(rows[static_cast<std::size_t>(playing_row)], current);
    const int matched = playing_row_known ? playing_row : FindFirstRowIgnoringCase(rows, current, equal);
    // matched + 1 <= INT_MAX because matched < INT_MAX; the modulo keeps it a valid row.
    const std::size_t next = static_cast<std::size_t>(matched + 1) % rows.size();
    return NextItem{matched, static_cast<int>(next)};
}

}  // namespace wallcine
