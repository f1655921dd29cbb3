#include "remote_controls.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "win/code_page.h"

namespace wallcine::e2e {

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t size)
    : process_(process),
      address_(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)),
      size_(size) {
    if (!address_) ADD_FAILURE() << "VirtualAllocEx failed: error " << ::GetLastError();
}

RemoteBuffer::~RemoteBuffer() {
    if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

std::string RemoteBuffer::ReadText() const {
    std::string bytes(size_, '\0');
    SIZE_T read = 0;
    if (!address_ || !::ReadProcessMemory(process_, address_, bytes.data(), size_, &read)) return {};
    bytes.resize(read);
    return bytes.substr(0, bytes.find('\0'));
}

namespace {

constexpr UINT kAnswerTimeoutMs = 10000;

LRESULT AskWith(decltype(&::SendMessageTimeoutA) send, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!send(window, message, wparam, lparam, SMTO_BLOCK, kAnswerTimeoutMs, &result)) {
        ADD_FAILURE() << "window " << window << " did not answer message " << message << " (error "
                      << ::GetLastError() << ")";
        return -1;
    }
    return static_cast<LRESULT>(result);
}

}  // namespace

LRESULT Ask(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return AskWith(&::SendMessageTimeoutA, window, message, wparam, lparam);
}

LRESULT AskWide(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return AskWith(&::SendMessageTimeoutW, window, message, wparam, lparam);
}

HWND Control(HWND parent, int id) { return parent ? ::GetDlgItem(parent, id) : nullptr; }

std::string StatusBarPanelText(HANDLE process, HWND status_bar, int panel) {
    const auto length = LOWORD(Ask(status_bar, SB_GETTEXTLENGTHA, panel));
    RemoteBuffer buffer(process, length + 1u);
    Ask(status_bar, SB_GETTEXTA, panel, reinterpret_cast<LPARAM>(buffer.Address()));
    // Leading tabs are the status bar's own alignment marks (one centres, two align right), not
    // part of the text shown.
    const std::string text = buffer.ReadText();
    return text.substr(std::min(text.find_first_not_of('\t'), text.size()));
}

std::vector<std::string> ListBoxRows(HWND list_box) {
    // Asked in UTF-16 and converted here: Wine 8 copies a list box row across processes into an
    // ANSI caller's buffer without converting it (the caller reads one character).
    std::vector<std::string> rows;
    const LRESULT count = AskWide(list_box, LB_GETCOUNT);
    for (LRESULT row = 0; row < count; ++row) {
        const LRESULT length = AskWide(list_box, LB_GETTEXTLEN, row);
        if (length < 0) break;  // the rows changed under us
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT copied = AskWide(list_box, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
        if (copied < 0) break;
        text.resize(static_cast<std::size_t>(copied));
        rows.push_back(win::WideToAnsi(text));
    }
    return rows;
}

int ListBoxSelection(HWND list_box) { return static_cast<int>(Ask(list_box, LB_GETCURSEL)); }

void DragListBoxRow(HWND list_box, int from_row, int to_row, int row_height) {
    auto row_point = [row_height](int row) { return MAKELPARAM(20, row * row_height + row_height / 2); };
    ::PostMessageA(list_box, WM_LBUTTONDOWN, MK_LBUTTON, row_point(from_row));
    ::PostMessageA(list_box, WM_MOUSEMOVE, MK_LBUTTON, row_point(to_row));
    ::PostMessageA(list_box, WM_LBUTTONUP, 0, row_point(to_row));
}

int TrackBarThumb(HWND track_bar) { return static_cast<int>(Ask(track_bar, TBM_GETPOS)); }

int TrackBarMax(HWND track_bar) { return static_cast<int>(Ask(track_bar, TBM_GETRANGEMAX)); }

void ClickButton(HWND button) { ::PostMessageA(button, BM_CLICK, 0, 0); }

std::optional<double> ParseTimeText(const std::string& text, const std::string& prefix) {
    if (text.rfind(prefix, 0) != 0) return std::nullopt;
    // Hours take two digits or more, milliseconds three (four when a fraction rounds up to 1000).
    static const std::regex time(R"((\d{2,}):(\d{2}):(\d{2}):(\d{3,4}))");
    std::smatch parts;
    const std::string clock = text.substr(prefix.size());
    if (!std::regex_match(clock, parts, time)) return std::nullopt;
    return std::stod(parts[1]) * 3600 + std::stod(parts[2]) * 60 + std::stod(parts[3]) + std::stod(parts[4]) / 1000;
}

}  // namespace wallcine::e2e
