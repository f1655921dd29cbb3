#include "app/controls/list_box.h"

#include <commctrl.h>

#include "core/errors.h"
#include "core/playlist_model.h"
#include "win/code_page.h"
#include "win/scope_exit.h"
#include "win/show_exception.h"

namespace wallcine::app {

namespace {

constexpr UINT_PTR kSubclassId = 1;

LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) noexcept {
    return ::SendMessageA(window, message, wparam, lparam);
}

// The mouse handlers are the program's code: an error there is reported, never unwound into
// the system's list box.
template <class Handler>
void Raise(const Handler& handler, UINT button_message, WPARAM key_state, bool double_click) noexcept {
    if (!handler) return;
    try {
        handler(button_message, key_state, double_click);
    } catch (...) {
        win::ShowCurrentException();
    }
}

}  // namespace

TListBox::~TListBox() {
    if (window_) ::RemoveWindowSubclass(window_, &SubclassProc, kSubclassId);
}

void TListBox::Create(HWND parent, const Settings& settings, HFONT font) {
    // Single selection, unsorted, the parent told of double clicks (LBN_DBLCLK).
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | settings.extra_style;
    window_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", style, settings.left, settings.top, settings.width,
                                settings.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(settings.id)),
                                ::GetModuleHandleA(nullptr), nullptr);
    if (!window_) throw Exception("Cannot create the list box.");
    if (font) Send(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Send(window_, LB_SETITEMHEIGHT, 0, MAKELPARAM(settings.item_height, 0));
    // An integral-height list trims itself to whole rows only when resized, and it was sized
    // with the default font's rows: trim it to whole rows of the height just set.
    RECT client{};
    ::GetClientRect(window_, &client);
    const int partial_row = settings.item_height > 0 ? client.bottom % settings.item_height : 0;
    if (!(settings.extra_style & LBS_NOINTEGRALHEIGHT) && partial_row && client.bottom > settings.item_height) {
        RECT bounds{};
        ::GetWindowRect(window_, &bounds);
        ::SetWindowPos(window_, nullptr, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top - partial_row,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!::SetWindowSubclass(window_, &SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        throw Exception("Cannot follow the list box's mouse events.");
}

void TListBox::SetFont(HFONT font, int item_height) {
    Send(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Send(window_, LB_SETITEMHEIGHT, 0, MAKELPARAM(item_height, 0));
    ::InvalidateRect(window_, nullptr, TRUE);
}

int TListBox::Count() const noexcept {
    const LRESULT count = Send(window_, LB_GETCOUNT);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::string TListBox::Item(int index) const {
    if (index < 0 || index >= Count()) throw EListError(index);
    const LRESULT length = Send(window_, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR) throw EListError(index);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = Send(window_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

std::vector<std::string> TListBox::Items() const {
    std::vector<std::string> rows;
    const int count = Count();
    rows.reserve(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index) rows.push_back(Item(index));
    return rows;
}

void TListBox::SetItems(const std::vector<std::string>& rows) {
    Clear();
    AddRows(rows);
}

void TListBox::AddRows(const std::vector<std::string>& rows) {
    if (rows.empty()) return;
    // One repaint for the whole list, not one per row, and room for them all at once.
    Send(window_, WM_SETREDRAW, FALSE);
    const win::scope_exit redraw_again([this] {
        Send(window_, WM_SETREDRAW, TRUE);
        ::InvalidateRect(window_, nullptr, TRUE);
    });
    size_t bytes = 0;
    for (const std::string& row : rows) bytes += row.size() + 1;
    Send(window_, LB_INITSTORAGE, rows.size(), bytes);
    for (const std::string& row : rows) Add(row);
}

void TListBox::Add(const std::string& text) {
    const LRESULT index = Send(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index == LB_ERR || index == LB_ERRSPACE) throw Exception("Out of memory: the list cannot take another row.");
}

void TListBox::Insert(int index, const std::string& text) {
    if (index < 0 || index > Count()) throw EListError(index);
    const LRESULT inserted =
        Send(window_, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
    if (inserted == LB_ERR || inserted == LB_ERRSPACE)
        throw Exception("Out of memory: the list cannot take another row.");
}

void TListBox::Delete(int index) {
    if (index < 0 || index >= Count()) throw EListError(index);
    Send(window_, LB_DELETESTRING, static_cast<WPARAM>(index));
}

void TListBox::Clear() noexcept { Send(window_, LB_RESETCONTENT); }

void TListBox::Move(int from, int to) {
    // Both indexes are checked before anything changes, so a bad move loses no row.
    const std::string text = Item(from);
    if (to < 0 || to >= Count()) throw EListError(to);
    if (from == to) return;
    Delete(from);
    Insert(to, text);
}

int TListBox::ItemIndex() const noexcept {
    const LRESULT index = Send(window_, LB_GETCURSEL);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void TListBox::SetItemIndex(int index) noexcept { Send(window_, LB_SETCURSEL, static_cast<WPARAM>(index)); }

int TListBox::IndexOfIgnoringCase(const std::string& text) const {
    // The core's rule rather than LB_FINDSTRINGEXACT: that search starts after a given row and
    // wraps, and the play-next rule must agree with this one on which row matches.
    return FindFirstRowIgnoringCase(Items(), text, win::EqualsIgnoringCaseInCodePage);
}

LRESULT CALLBACK TListBox::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                        DWORD_PTR self_data) {
    auto* self = reinterpret_cast<TListBox*>(self_data);
    switch (message) {
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, &SubclassProc, kSubclassId);
        self->window_ = nullptr;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        // The control first, so the selection has moved to the row under the pointer.
        const LRESULT result = ::DefSubclassProc(window, message, wparam, lparam);
        const bool double_click =
            message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK;
        if (double_click) self->double_click_pending_ = true;
        const UINT button = message == WM_LBUTTONDBLCLK   ? WM_LBUTTONDOWN
                            : message == WM_RBUTTONDBLCLK ? WM_RBUTTONDOWN
                            : message == WM_MBUTTONDBLCLK ? WM_MBUTTONDOWN
                                                          : message;
        Raise(self->OnMouseDown, button, wparam, double_click);
        return result;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const LRESULT result = ::DefSubclassProc(window, message, wparam, lparam);
        // The release that ends a double click still belongs to it.
        const bool double_click = self->double_click_pending_;
        self->double_click_pending_ = false;
        Raise(self->OnMouseUp, message, wparam, double_click);
        return result;
    }
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace wallcine::app
