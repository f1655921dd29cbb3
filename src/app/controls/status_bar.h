// TStatusBar: a standard status bar (msctls_statusbar32) with fixed panels. Each panel has a
// width and an alignment; the last panel stretches to the right edge.
// The control window belongs to its parent form; this object only refers to it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/dpi_scale.h"

namespace wallcine::app {

class TStatusBar {
public:
    enum class Alignment { Left, Right };
    struct Panel {
        int width;
        Alignment alignment;
    };

    TStatusBar() = default;
    TStatusBar(const TStatusBar&) = delete;
    TStatusBar& operator=(const TStatusBar&) = delete;

    // Along the bottom of the parent's client area, `height` pixels high; the height and the
    // panels' widths are 96-DPI pixels, scaled by SetScale.
    void Create(HWND parent, int id, int height, std::vector<Panel> panels, bool double_buffered);
    HWND Handle() const noexcept { return window_; }

    void SetPanelText(int index, const std::string& text);
    std::string PanelText(int index) const;
    // The parent's DPI: the bar is placed again at its scaled height and panel widths.
    void SetScale(const DpiScale& scale);
    // The parent's WM_SIZE: keep the bar along the bottom edge and the last panel stretched.
    void ParentResized();

private:
    void ApplyPanelEdges();

    HWND window_ = nullptr;
    int height_ = 0;
    DpiScale scale_;
    std::vector<Panel> panels_;
    std::vector<std::string> texts_;  // each panel's text as last set
};

}  // namespace wallcine::app
