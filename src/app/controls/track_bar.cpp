#include "app/controls/track_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "core/errors.h"

namespace wallcine::app {

namespace {

LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) noexcept {
    return ::SendMessageA(window, message, wparam, lparam);
}

void RegisterBarClasses() noexcept {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&classes);
}

// A tool tip showing `hint` while the mouse rests on `control`. It is a pop-up owned by the
// control's top-level window, which destroys it.
HWND CreateHint(HWND control, const char* hint) {
    HWND parent = ::GetParent(control);
    HWND tip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 ::GetAncestor(parent, GA_ROOT), nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!tip) throw Exception("Cannot create the track bar's hint.");
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;  // understood by comctl32 version 5 and 6 alike
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(hint);  // the tool tip keeps its own copy
    if (!Send(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) throw Exception("Cannot show the track bar's hint.");
    return tip;
}

}  // namespace

void TTrackBar::Create(HWND parent, const Settings& settings) {
    RegisterBarClasses();
    // No tick marks; a vertical bar has its minimum at the top.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_NOTICKS | (settings.vertical ? TBS_VERT : TBS_HORZ);
    window_ = ::CreateWindowExA(0, TRACKBAR_CLASSA, "", style, settings.left, settings.top, settings.width,
                                settings.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(settings.id)),
                                ::GetModuleHandleA(nullptr), nullptr);
    if (!window_) throw Exception("Cannot create the track bar.");
    min_ = settings.min;
    max_ = std::max(settings.max, settings.min);
    position_ = std::clamp(settings.position, min_, max_);
    Send(window_, TBM_SETRANGEMIN, FALSE, min_);
    Send(window_, TBM_SETRANGEMAX, FALSE, max_);
    Send(window_, TBM_SETLINESIZE, 0, settings.line_size);
    Send(window_, TBM_SETPAGESIZE, 0, settings.page_size);
    MoveThumb(position_);
    if (settings.hint && *settings.hint) hint_window_ = CreateHint(window_, settings.hint);
}

void TTrackBar::SetMax(int value) {
    if (value < min_) return;
    max_ = value;
    Send(window_, TBM_SETRANGEMAX, TRUE, max_);
    // The control keeps its thumb inside the new range by itself.
    thumb_ = ThumbPosition();
    if (position_ <= max_) return;
    position_ = max_;
    MoveThumb(position_);
    if (OnChange) OnChange();
}

void TTrackBar::SetPosition(int value) {
    value = std::clamp(value, min_, max_);
    if (value == position_) return;
    position_ = value;
    MoveThumb(position_);
    if (OnChange) OnChange();
}

void TTrackBar::MoveThumb(int value) noexcept {
    thumb_ = std::clamp(value, min_, max_);
    // The supervision moves the thumb 50 times a second, mostly to where it already stands (it
    // counts tenths of a second): a repeated move would only invalidate the control again, which
    // costs a round trip to the window server even while the window is hidden.
    if (ThumbPosition() == thumb_) return;
    Send(window_, TBM_SETPOS, TRUE, value);
}

int TTrackBar::ThumbPosition() const noexcept { return static_cast<int>(Send(window_, TBM_GETPOS)); }

void TTrackBar::Scrolled() {
    const int scrolled_to = ThumbPosition();
    // A scroll that lands where the stored position already is still counts when the thumb was
    // elsewhere before it (moved by MoveThumb): the user asked for that place.
    const bool moved = scrolled_to != position_ || scrolled_to != thumb_;
    position_ = scrolled_to;
    thumb_ = scrolled_to;
    if (moved && OnChange) OnChange();
}

std::string TTrackBar::Hint() const {
    if (!hint_window_) return {};
    char text[256] = "";
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = ::GetParent(window_);
    tool.uId = reinterpret_cast<UINT_PTR>(window_);
    tool.lpszText = text;
    Send(hint_window_, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

}  // namespace wallcine::app
