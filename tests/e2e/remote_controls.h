// Reading and working the standard controls of another process's windows. The system copies
// the text of its own window and list box messages across processes; the common controls'
// messages (status bar texts) carry a pointer that must point into the owner's memory, so their
// answers go through a buffer allocated there.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace wallcine::e2e {

// A block of memory inside another process, freed with the object.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* Address() const noexcept { return address_; }
    // The block's bytes up to its first NUL, as text.
    std::string ReadText() const;

private:
    HANDLE process_;
    void* address_;
    std::size_t size_;
};

// SendMessage to another process's window that gives up, failing the test, when the window's
// thread does not answer: a hung Wallcine makes a test fail, not the test run hang.
LRESULT Ask(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
LRESULT AskWide(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

// The child of `parent` with that control id (nullptr when there is none).
HWND Control(HWND parent, int id);

// The text a status bar (msctls_statusbar32) owned by `process` shows in a panel.
std::string StatusBarPanelText(HANDLE process, HWND status_bar, int panel);

// Rows of a standard list box, and its selected row (-1 when none).
std::vector<std::string> ListBoxRows(HWND list_box);
int ListBoxSelection(HWND list_box);
// Drags with the left button from one row to another, as the mouse would (rows of `row_height`
// pixels, the list scrolled to the top).
void DragListBoxRow(HWND list_box, int from_row, int to_row, int row_height);

// A track bar's thumb position and maximum.
int TrackBarThumb(HWND track_bar);
int TrackBarMax(HWND track_bar);

// Clicks a push button as the keyboard or mouse would: its parent gets BN_CLICKED.
void ClickButton(HWND button);

// The time a "Position: HH:MM:SS:mmm" or "Duration: HH:MM:SS:mmm" text shows, in seconds;
// nothing when the text is not of that form with that prefix.
std::optional<double> ParseTimeText(const std::string& text, const std::string& prefix);

}  // namespace wallcine::e2e
