// The playlist as the list control shows it: adding a selection of files and
// choosing which row plays after the current one.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/playlist_file.h"

namespace wallcine {

// Reads the rows of a playlist file; ReadPlaylistFile in the app, a fake in tests.
using PlaylistReader = std::function<std::vector<std::string>(const std::string&)>;

// Appends `selection` to `rows` in order: a media file becomes the new last
// row; a playlist file (IsPlaylistFile) adds its rows, in file order, after
// all existing rows. Rows read from a playlist file are added as they are: a
// ".wcl" named inside a playlist is not expanded again.
// An exception from `reader` propagates; the rows appended before it stay.
void AppendSelection(std::vector<std::string>& rows, const std::vector<std::string>& selection,
                     const PlaylistReader& reader = ReadPlaylistFile);

// Clears `rows`, then AppendSelection. On an exception `rows` holds what was
// appended before it.
void RebuildFromSelection(std::vector<std::string>& rows, const std::vector<std::string>& selection,
                          const PlaylistReader& reader = ReadPlaylistFile);

// True when a and b are equal with ASCII letters compared without regard to
// case. The Windows side matches rows with the code page's letters folded too
// (as the list control's exact-string search does) and passes its own rule.
bool EqualsIgnoringCase(std::string_view a, std::string_view b) noexcept;

// Whether two rows name the same item.
using RowMatcher = bool (*)(std::string_view a, std::string_view b);

// Index of the first row equal to `current` under `equal`, or -1.
int FindFirstRowIgnoringCase(const std::vector<std::string>& rows, std::string_view current,
                             RowMatcher equal = EqualsIgnoringCase);

struct NextItem {
    int matchedIndex;  // first row matching the current item, or -1
    int nextIndex;     // row to play next: (matchedIndex + 1) mod row count
};

// What plays after `current`: the row after its first match, wrapping to 0
// after the last row; 0 when `current` is not in the list. When `playing_row`
// (the row last started, where known) names `current`, the rule goes on from
// that row instead: a playlist that holds the same item twice then moves past
// the second copy rather than playing the first two for ever.
// Throws EListError(0) when there are no rows: there is no row 0 to play.
NextItem FindNextItem(const std::vector<std::string>& rows, std::string_view current,
                      RowMatcher equal = EqualsIgnoringCase, int playing_row = -1);

}  // namespace wallcine
