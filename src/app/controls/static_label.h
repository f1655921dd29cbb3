// TLabel: a standard static control (STATIC) showing one line of text; its caption is its window
// text, so screen readers and the end-to-end driver can read it. Clicks reach the parent as
// STN_CLICKED when the label notifies.
// The control window belongs to its parent form; this object only refers to it.
#pragma once

#include <windows.h>

#include <string>

namespace wallcine::app {

class TLabel {
public:
    struct Settings {
        int id;
        int left, top, width, height;  // width 0: sized to the caption
        DWORD extra_style;             // e.g. SS_NOTIFY, SS_CENTER
        const char* caption;
    };

    TLabel() = default;
    TLabel(const TLabel&) = delete;
    TLabel& operator=(const TLabel&) = delete;

    void Create(HWND parent, const Settings& settings, HFONT font);
    HWND Handle() const noexcept { return window_; }

    std::string Caption() const;
    void SetCaption(const std::string& text);
    // Another font (the form's, at a new DPI): redrawn, and an auto-sized label fitted again.
    void SetFont(HFONT font);

private:
    // An auto-sized label (created with width 0) follows its caption's width.
    void FitToCaption();

    HWND window_ = nullptr;
    HFONT font_ = nullptr;  // the parent form's; not owned
    bool auto_size_ = false;
};

}  // namespace wallcine::app
