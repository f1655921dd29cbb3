// Text between the system's 8-bit code page (the ANSI API, playlist files, list rows) and the
// wide strings COM and DirectShow take. A character the code page lacks becomes its default
// character on the way to 8 bits.
#pragma once

#include <string>
#include <string_view>

namespace wallcine::win {

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

// True when two rows of 8-bit text name the same item as the list control matches them: read in
// the code page and compared without regard to case, its own letters included (é and É).
bool EqualsIgnoringCaseInCodePage(std::string_view a, std::string_view b);

}  // namespace wallcine::win
