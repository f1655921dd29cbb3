#include "app/controls/status_bar.h"

#include <commctrl.h>

#include "core/errors.h"

namespace wallcine::app {

namespace {

LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) noexcept {
    return ::SendMessageA(window, message, wparam, lparam);
}

// A status bar draws a part's text after one tab centred and after two tabs right-aligned.
const char* AlignmentPrefix(TStatusBar::Alignment alignment) noexcept {
    return alignment == TStatusBar::Alignment::Right ? "\t\t" : "";
}

}  // namespace

void TStatusBar::Create(HWND parent, int id, int height, std::vector<Panel> panels, bool double_buffered) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&classes);
    panels_ = std::move(panels);
    texts_.assign(panels_.size(), std::string());
    height_ = height;
    // The bar keeps the height it is given (CCS_NORESIZE) and ParentResized places it, rather
    // than the control choosing its height from its font. No size grip: the forms that carry
    // a status bar have fixed borders. WS_EX_COMPOSITED paints the bar through an off-screen
    // buffer, so rewriting the panels 50 times a second does not flicker.
    const DWORD style = WS_CHILD | WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE;
    window_ = ::CreateWindowExA(double_buffered ? WS_EX_COMPOSITED : 0, STATUSCLASSNAMEA, "", style, 0, 0, 0, 0,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                ::GetModuleHandleA(nullptr), nullptr);
    if (!window_) throw Exception("Cannot create the status bar.");
    ParentResized();
}

void TStatusBar::SetPanelText(int index, const std::string& text) {
    if (index < 0 || index >= static_cast<int>(panels_.size())) throw EListError(index);
    // The supervision rewrites the panels on every tick; an unchanged text is not redrawn. The
    // text last set is kept here (every change goes through this call), so the tick does not
    // ask the control for it twice a panel.
    if (texts_[index] == text) return;
    const std::string shown = AlignmentPrefix(panels_[index].alignment) + text;
    Send(window_, SB_SETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(shown.c_str()));
    texts_[index] = text;
}

std::string TStatusBar::PanelText(int index) const {
    if (index < 0 || index >= static_cast<int>(panels_.size())) throw EListError(index);
    const auto length = LOWORD(Send(window_, SB_GETTEXTLENGTHA, static_cast<WPARAM>(index)));
    std::string shown(length + 1u, '\0');
    Send(window_, SB_GETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(shown.data()));
    shown.resize(length);
    const std::string prefix = AlignmentPrefix(panels_[index].alignment);
    return shown.starts_with(prefix) ? shown.substr(prefix.size()) : shown;
}

void TStatusBar::SetScale(const DpiScale& scale) {
    scale_ = scale;
    ParentResized();
}

void TStatusBar::ParentResized() {
    RECT client{};
    ::GetClientRect(::GetParent(window_), &client);
    ::SetWindowPos(window_, nullptr, 0, client.bottom - scale_(height_), client.right, scale_(height_),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyPanelEdges();
}

void TStatusBar::ApplyPanelEdges() {
    if (panels_.empty()) {
        Send(window_, SB_SIMPLE, TRUE);
        return;
    }
    // Right edges; the last panel reaches the bar's right edge (-1).
    std::vector<int> edges;
    int edge = 0;
    for (const Panel& panel : panels_) {
        edge += scale_(panel.width);
        edges.push_back(edge);
    }
    edges.back() = -1;
    Send(window_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

}  // namespace wallcine::app
