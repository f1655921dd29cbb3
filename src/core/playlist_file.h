// Wallcine playlist files (".wcl"): 8-bit text, one media path per line.
//
// Paths are kept byte for byte as written: no trimming, no case or
// separator normalisation. A row never contains CR, LF or NUL.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wallcine {

// The part of `path` from its last '.' to the end, or empty when there is no
// '.' or a '\' or ':' comes after it. '/' is not treated as a separator here,
// matching the Windows shell rule the rest of the app uses.
std::string_view FileExtension(std::string_view path);

// True iff the extension is exactly ".wcl" (case-sensitive: "x.WCL" is
// treated as a media file).
bool IsPlaylistFile(std::string_view path);

// Splits playlist text into rows. A NUL byte ends the text. CR LF, a lone CR
// and a lone LF each end one row; a last line without an end is still a row;
// nothing after the final line end adds a row; an empty line is an empty row.
std::vector<std::string> ParsePlaylistText(std::string_view bytes);

// Every row followed by CR LF (the last one too); no rows -> empty text.
std::string FormatPlaylistText(const std::vector<std::string>& rows);

// Reads the whole file and parses it. Throws EFOpenError(path) when the file
// cannot be opened or read (missing, a directory, no permission, I/O error).
std::vector<std::string> ReadPlaylistFile(const std::string& path);

// Creates or replaces the file with FormatPlaylistText(rows).
// Throws EFCreateError(path) when the file cannot be created, and
// EWriteError(path) when it was created but the text could not all be written
// (the file may then be left truncated).
void WritePlaylistFile(const std::string& path, const std::vector<std::string>& rows);

// The first row of the playlist file. Throws EFOpenError like
// ReadPlaylistFile, and EListError(0) when the file has no rows.
std::string FirstPlaylistEntry(const std::string& path);

}  // namespace wallcine
