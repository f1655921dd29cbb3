// TListBox: a standard list box (LISTBOX) of text rows with one selected row, the control being
// the store of the rows (the playlist rows live in the playlist window's list box).
// The control window belongs to its parent form; this object only refers to it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wallcine::app {

class TListBox {
public:
    struct Settings {
        int id;
        int left, top, width, height;
        int item_height;
        DWORD extra_style;  // e.g. LBS_NOINTEGRALHEIGHT
    };

    TListBox() = default;
    // Lets go of the control's subclass: the parent destroys the control after this object.
    ~TListBox();
    TListBox(const TListBox&) = delete;
    TListBox& operator=(const TListBox&) = delete;

    // `font` (kept by the parent) is set before the row height, which a font change would reset.
    void Create(HWND parent, const Settings& settings, HFONT font = nullptr);
    HWND Handle() const noexcept { return window_; }
    // Another font and row height (the form's, at a new DPI), the row height after the font.
    void SetFont(HFONT font, int item_height);

    int Count() const noexcept;
    std::string Item(int index) const;  // raises EListError outside 0..Count-1
    std::vector<std::string> Items() const;
    void SetItems(const std::vector<std::string>& rows);  // replaces every row; no row selected
    void Add(const std::string& text);
    // Appends rows in order, with one repaint for them all.
    void AddRows(const std::vector<std::string>& rows);
    void Insert(int index, const std::string& text);  // raises EListError outside 0..Count
    void Delete(int index);  // raises EListError outside 0..Count-1
    void Clear() noexcept;
    // Moves the row at `from` to index `to`; the rows between shift by one place. Raises
    // EListError, changing nothing, when either index is outside 0..Count-1.
    void Move(int from, int to);

    // The selected row, -1 when none.
    int ItemIndex() const noexcept;
    void SetItemIndex(int index) noexcept;  // -1 clears the selection
    // First row equal to `text` ignoring letter case (the list's exact-string search), or -1.
    int IndexOfIgnoringCase(const std::string& text) const;

    // Mouse events from the control (it is subclassed), after the control's own handling (so
    // the selection has followed the pointer): the button's down or up message (WM_LBUTTONDOWN,
    // WM_LBUTTONUP, ... also for the second press of a double click), the key state flags (MK_*),
    // and whether the press is the second of a double click or the release that follows it.
    std::function<void(UINT button_message, WPARAM key_state, bool double_click)> OnMouseDown;
    std::function<void(UINT button_message, WPARAM key_state, bool double_click)> OnMouseUp;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                         DWORD_PTR self);

    HWND window_ = nullptr;
    bool double_click_pending_ = false;
};

}  // namespace wallcine::app
