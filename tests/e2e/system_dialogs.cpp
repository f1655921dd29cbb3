#include "system_dialogs.h"

#include <algorithm>

#include "remote_controls.h"

namespace wallcine::e2e {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
// The icon of a message box: Windows numbers it 20, Wine 0x440 (stc1).
constexpr int kMessageBoxIconIds[] = {20, 0x440};
// The file name field: a combo box in Explorer-style dialogs (Windows and Wine), an edit
// control in the old style.
constexpr int kFileNameComboId = 0x47C;  // cmb13
constexpr int kFileNameEditId = 0x480;   // edt1
constexpr int kFileTypeComboId = 0x470;  // cmb1
constexpr int kLookInComboId = 0x471;    // cmb2

std::string ControlText(HWND control) {
    char text[MAX_PATH * 2] = {};
    if (control) Ask(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND FileNameField(HWND file_dialog) {
    for (int id : {kFileNameComboId, kFileNameEditId})
        if (HWND field = ::GetDlgItem(file_dialog, id); field && ::IsWindowVisible(field)) return field;
    return nullptr;
}

}  // namespace

HWND WaitForMessageBox(const WallcineProcess& wallcine, const char* caption, DWORD timeout_ms) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            box = wallcine.FindWindowNow("#32770", caption);
            return box && ::IsWindowVisible(box);
        },
        timeout_ms);
    return box && ::IsWindowVisible(box) ? box : nullptr;
}

std::string MessageBoxText(HWND message_box) {
    char text[1024] = {};
    ::GetDlgItemTextA(message_box, kMessageBoxTextId, text, sizeof text);
    return text;
}

void DismissMessageBox(HWND message_box) { ::PostMessageA(message_box, WM_COMMAND, IDOK, 0); }

bool MessageBoxHasIcon(HWND message_box) {
    for (int id : kMessageBoxIconIds)
        if (HWND icon = ::GetDlgItem(message_box, id); icon && Ask(icon, STM_GETICON) > 0) return true;
    return false;
}

void MessageBoxWatch::Poll() {
    std::erase_if(dismissed_, [](HWND box) { return !::IsWindow(box); });
    for (HWND box : wallcine_.FindWindowsNow("#32770")) {
        // A visible box has its text; a file dialog has a file name field and no box's text.
        if (!::IsWindowVisible(box) || FileNameField(box) || !::GetDlgItem(box, kMessageBoxTextId)) continue;
        if (std::find(dismissed_.begin(), dismissed_.end(), box) != dismissed_.end()) continue;
        seen_.push_back({WindowText(box), MessageBoxText(box), MessageBoxHasIcon(box)});
        dismissed_.push_back(box);
        DismissMessageBox(box);
    }
}

std::string MessageBoxWatch::Describe() const {
    std::string description = std::to_string(seen_.size()) + " message box(es)";
    for (const SeenMessageBox& box : seen_) description += "\n  \"" + box.caption + "\": \"" + box.text + "\"";
    return description;
}

HWND WaitForFileDialog(const WallcineProcess& wallcine, DWORD timeout_ms) {
    HWND dialog = nullptr;
    // A dialog is visible only once its initialisation (and the proposed name) is done.
    WaitUntil(
        [&] {
            dialog = wallcine.FindWindowNow("#32770");
            return dialog && ::IsWindowVisible(dialog) && FileNameField(dialog);
        },
        timeout_ms);
    return dialog && ::IsWindowVisible(dialog) && FileNameField(dialog) ? dialog : nullptr;
}

// Asked with WM_GETTEXT: a combo box's text lives in its edit control or list, not its caption.
std::string FileDialogName(HWND file_dialog) { return ControlText(FileNameField(file_dialog)); }

std::string FileDialogType(HWND file_dialog) { return ControlText(::GetDlgItem(file_dialog, kFileTypeComboId)); }

namespace {

bool TypeAndConfirm(HWND file_dialog, const std::string& text) {
    HWND field = FileNameField(file_dialog);
    if (!field) return false;
    Ask(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (FileDialogName(file_dialog) != text) return false;
    ::PostMessageA(file_dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(file_dialog, IDOK)));
    return true;
}

}  // namespace

bool AnswerFileDialog(HWND file_dialog, const std::string& path) {
    return TypeAndConfirm(file_dialog, path) && WaitUntil([&] { return !::IsWindow(file_dialog); });
}

bool AnswerFileDialogWithFiles(HWND file_dialog, const std::string& directory, const std::vector<std::string>& names) {
    // A folder typed and confirmed is opened: the dialog stays, shows the folder's name in
    // "Look in" and empties the name field.
    const std::string folder = directory.substr(directory.find_last_of('\\') + 1);
    if (!TypeAndConfirm(file_dialog, directory) || !WaitUntil([&] {
            return ControlText(::GetDlgItem(file_dialog, kLookInComboId)) == folder && FileDialogName(file_dialog).empty();
        }))
        return false;
    std::string quoted_names;
    for (const std::string& name : names) quoted_names += (quoted_names.empty() ? "\"" : " \"") + name + "\"";
    return AnswerFileDialog(file_dialog, quoted_names);
}

}  // namespace wallcine::e2e
