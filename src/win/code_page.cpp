#include "win/code_page.h"

#include <windows.h>

#include <algorithm>

#include "core/playlist_model.h"

namespace wallcine::win {

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty()) return {};
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string WideToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                          nullptr);
    return narrow;
}

bool EqualsIgnoringCaseInCodePage(std::string_view a, std::string_view b) {
    // Plain ASCII needs no conversion (and a long playlist is mostly that).
    const auto ascii = [](std::string_view text) {
        return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    if (ascii(a) && ascii(b)) return wallcine::EqualsIgnoringCase(a, b);
    const std::wstring wide_a = AnsiToWide(a);
    const std::wstring wide_b = AnsiToWide(b);
    // The list control's own rule for a case-blind exact match.
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wide_a.data(), static_cast<int>(wide_a.size()),
                            wide_b.data(), static_cast<int>(wide_b.size())) == CSTR_EQUAL;
}

}  // namespace wallcine::win
