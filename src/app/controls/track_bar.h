// TTrackBar: a standard track bar (msctls_trackbar32) that keeps the framework's stored Position
// apart from the thumb the control shows.
//   - MoveThumb sends TBM_SETPOS only: the thumb moves, the stored position does not, and no
//     change event fires (the supervision tick moves the thumb this way, so progress never seeks).
//   - SetMax clamps the stored position to the new maximum and raises OnChange when it did.
//   - Scrolled (the parent forwards WM_HSCROLL/WM_VSCROLL from this control) reloads the stored
//     position with TBM_GETPOS and raises OnChange when it changed, or when the user's scroll
//     landed on the stored position from a thumb that MoveThumb had put elsewhere (dragging back
//     to the start of an item that was never seeked still seeks there).
// The control window belongs to its parent form, which destroys it; this object only refers to it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace wallcine::app {

class TTrackBar {
public:
    struct Settings {
        int id;
        int left, top, width, height;
        bool vertical;
        int min, max, position;
        int line_size, page_size;
        const char* hint;  // tool tip text shown over the control
    };

    TTrackBar() = default;
    TTrackBar(const TTrackBar&) = delete;
    TTrackBar& operator=(const TTrackBar&) = delete;

    void Create(HWND parent, const Settings& settings);
    HWND Handle() const noexcept { return window_; }

    int Min() const noexcept { return min_; }
    int Max() const noexcept { return max_; }
    // A maximum below the minimum is ignored. A stored position above the new maximum is clamped
    // to it and OnChange runs.
    void SetMax(int value);
    // The stored position (changed only by the user's scrolling, a clamp, or SetPosition).
    int Position() const noexcept { return position_; }
    // Stores and shows the position; OnChange runs when it changed.
    void SetPosition(int value);
    // Moves the thumb only (TBM_SETPOS, redraw): neither the stored position nor OnChange.
    void MoveThumb(int value) noexcept;
    // The thumb's place as the control shows it (TBM_GETPOS).
    int ThumbPosition() const noexcept;

    // The parent's WM_HSCROLL/WM_VSCROLL for this control.
    void Scrolled();

    // The hint's text as its tool tip holds it; empty without a hint.
    std::string Hint() const;

    std::function<void()> OnChange;

private:
    HWND window_ = nullptr;
    HWND hint_window_ = nullptr;  // the tool tip; its owner, the top-level form, destroys it
    int min_ = 0;
    int max_ = 10;
    int position_ = 0;
    int thumb_ = 0;  // where this object last put or saw the thumb
};

}  // namespace wallcine::app
