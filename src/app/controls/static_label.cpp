#include "app/controls/static_label.h"

#include "core/errors.h"
#include "win/unique_handle.h"

namespace wallcine::app {

namespace {

// The caption's width in `font` (the system font when none).
int CaptionWidth(HWND window, HFONT font, const std::string& caption) noexcept {
    win::unique_window_dc dc = win::unique_window_dc::get(window);
    if (!dc) return 0;
    win::select_object_scope select(dc.get(), font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));
    SIZE extent{};
    ::GetTextExtentPoint32A(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &extent);
    return extent.cx;
}

}  // namespace

void TLabel::Create(HWND parent, const Settings& settings, HFONT font) {
    // SS_NOPREFIX: a caption is shown as it is; a title such as "Tom & Jerry.avi" keeps its "&".
    const DWORD style = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | settings.extra_style;
    window_ = ::CreateWindowExA(0, "STATIC", settings.caption ? settings.caption : "", style, settings.left,
                                settings.top, settings.width, settings.height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(settings.id)),
                                ::GetModuleHandleA(nullptr), nullptr);
    if (!window_) throw Exception("Cannot create the label.");
    font_ = font;
    auto_size_ = settings.width == 0;
    if (font_) ::SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (auto_size_) FitToCaption();
}

std::string TLabel::Caption() const {
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window_)) + 1, '\0');
    const int copied = ::GetWindowTextA(window_, text.data(), static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void TLabel::SetCaption(const std::string& text) {
    ::SetWindowTextA(window_, text.c_str());
    if (auto_size_) FitToCaption();
}

void TLabel::SetFont(HFONT font) {
    font_ = font;
    ::SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    if (auto_size_) FitToCaption();
}

void TLabel::FitToCaption() {
    RECT bounds{};
    ::GetClientRect(window_, &bounds);
    ::SetWindowPos(window_, nullptr, 0, 0, CaptionWidth(window_, font_, Caption()), bounds.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace wallcine::app
