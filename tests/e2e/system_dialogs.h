// The system's dialogs that Wallcine shows, worked from outside: message boxes and the common
// open and save dialogs (all of window class "#32770" in Wallcine's process).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "polling.h"
#include "wallcine_process.h"

namespace wallcine::e2e {

// The process's message box with that caption, once it is on screen; nullptr after the time-out.
HWND WaitForMessageBox(const WallcineProcess& wallcine, const char* caption, DWORD timeout_ms = kPatience);
std::string MessageBoxText(HWND message_box);
// Presses the box's OK button.
void DismissMessageBox(HWND message_box);
// Whether the box shows an icon (the error, warning, information or question sign).
bool MessageBoxHasIcon(HWND message_box);

// A message box as the test read it before pressing OK.
struct SeenMessageBox {
    std::string caption;
    std::string text;
    bool has_icon = false;
};

// Reads and dismisses every message box the process shows, in order: a test that lets the
// program run on counts what it was told, and no box is left blocking it. File dialogs are left
// alone.
class MessageBoxWatch {
public:
    explicit MessageBoxWatch(const WallcineProcess& wallcine) : wallcine_(wallcine) {}
    // Takes the boxes on screen now.
    void Poll();
    const std::vector<SeenMessageBox>& Seen() const noexcept { return seen_; }
    // Every box seen, for a failure message.
    std::string Describe() const;

private:
    const WallcineProcess& wallcine_;
    std::vector<HWND> dismissed_;  // a box may linger a moment after its OK
    std::vector<SeenMessageBox> seen_;
};

// The process's open or save dialog, once it is on screen; nullptr after the time-out.
HWND WaitForFileDialog(const WallcineProcess& wallcine, DWORD timeout_ms = kPatience);
// The text of the dialog's file name field.
std::string FileDialogName(HWND file_dialog);
// The file type the dialog shows selected (the description of its filter).
std::string FileDialogType(HWND file_dialog);
// Types `path` into the dialog's file name field and confirms; true when the dialog closed.
bool AnswerFileDialog(HWND file_dialog, const std::string& path);
// Opens `directory` in the dialog, then chooses the files `names` there together, as a user
// types them ("a" "b" "c"); true when the dialog closed.
bool AnswerFileDialogWithFiles(HWND file_dialog, const std::string& directory, const std::vector<std::string>& names);

}  // namespace wallcine::e2e
