#include "app/form3_playlist.h"

#include <algorithm>
#include <exception>

#include "app/application.h"
#include "app/control_ids.h"
#include "app/form1_main.h"
#include "app/form2_playing_control.h"
#include "app/playback_state.h"
#include "core/errors.h"
#include "core/playlist_file.h"
#include "core/playlist_model.h"
#include "core/time_text.h"
#include "win/idle_handlers.h"
#include "win/message_pump.h"
#include "win/show_exception.h"

namespace wallcine::app {

namespace {

constexpr int kFormWidth = 385;
constexpr int kFormHeight = 466;  // fixed: the form only grows wider
constexpr int kListLeft = 8, kListTop = 8, kListWidth = 361, kListHeight = 368;
constexpr int kRowHeight = 13;

struct ButtonLayout {
    int id;
    const char* caption;
    int left, top, width, height;
};
constexpr ButtonLayout kButtons[] = {
    {kIdAddToList, "Add to List", 47, 384, 82, 25},
    {kIdDeleteFromList, "Delete from List", 148, 384, 82, 25},
    {kIdSaveList, "Save List", 247, 384, 75, 25},
};

void CreateButton(HWND parent, const ButtonLayout& layout, HFONT font, const DpiScale& px) {
    HWND button = ::CreateWindowExA(0, "BUTTON", layout.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                    px(layout.left), px(layout.top), px(layout.width), px(layout.height), parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)),
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (!button) throw Exception(Format("Cannot create the button \"%s\".", layout.caption));
    ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace

TForm3::TForm3() {
    // A sizing border because the width may grow (WM_GETMINMAXINFO holds the height).
    CreateCentredForm("TForm3", "Playlist", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, kFormWidth,
                      kFormHeight);
    font_ = CreateFormFont();
    CreateControls();
    // A playlist named in the selection that cannot be read is reported, and the window is
    // there all the same, with the rows read before it.
    win::RunReportingErrors([this] { FormCreate(); });
}

void TForm3::CreateControls() {
    const DpiScale& px = Scale();
    ListBox1.Create(Handle(),
                    {kIdPlaylistRows, px(kListLeft), px(kListTop), px(kListWidth), px(kListHeight), px(kRowHeight), 0},
                    font_.get());
    ListBox1.OnMouseDown = [this](UINT button, WPARAM, bool double_click) { ListBox1MouseDown(button, double_click); };
    ListBox1.OnMouseUp = [this](UINT button, WPARAM, bool double_click) { ListBox1MouseUp(button, double_click); };
    for (const ButtonLayout& layout : kButtons) CreateButton(Handle(), layout, font_.get(), px);
    // In 96-DPI pixels, so that it scales with the rest.
    RECT client{};
    ::GetClientRect(Handle(), &client);
    list_right_margin_ = ::MulDiv(client.right, kDesignDpi, px.Dpi()) - (kListLeft + kListWidth);
}

void TForm3::OnDpiChanged() {
    // The controls hold the old font until they are given the new one; only then does it go.
    const win::unique_hfont old_font = std::move(font_);
    font_ = CreateFormFont();
    ListBox1.SetFont(font_.get(), Scale()(kRowHeight));
    for (const ButtonLayout& layout : kButtons)
        ::SendDlgItemMessageA(Handle(), layout.id, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
}

// --- Handlers ------------------------------------------------------------------------------------

void TForm3::FormCreate() {
    ListBox1.Clear();
    // A start that failed has been reported and the program is ending: no rows to read.
    if (!Form1 || Form1->TerminateRequested()) return;
    AppendToRows(Form1->OpenDialog1.Files);
}

void TForm3::FormShow() { ListBox1.SetItemIndex(ListBox1.IndexOfIgnoringCase(CurrentFile)); }

void TForm3::Button1Click() {
    if (!Form1) return;
    TOpenDialog& dialog = Form1->OpenDialog1;
    if (!dialog.Execute(Handle())) return;
    AppendToRows(dialog.Files);
}

void TForm3::Button2Click() {
    const int selected = ListBox1.ItemIndex();
    // The last row is never deleted: the playlist always has an item to play.
    if (ListBox1.Count() < 2 || selected < 0) return;
    // Byte for byte: a row that differs from the playing item only in letter case is another row.
    if (ListBox1.Item(selected) != CurrentFile) {
        ListBox1.Delete(selected);
        ListBox1.SetItemIndex(selected % ListBox1.Count());
        return;
    }
    ListBox1.Delete(selected);
    win::ProcessPendingMessages();
    ListBox1.SetItemIndex(0);
    ListBox1DblClick();
}

void TForm3::Button4Click() {
    if (!Form1) return;
    TSaveDialog& dialog = Form1->SaveDialog1;
    if (!dialog.Execute(Handle())) return;
    WritePlaylistFile(dialog.FileName, ListBox1.Items());
}

void TForm3::ListBox1DblClick() {
    const int selected = ListBox1.ItemIndex();
    if (selected < 0 || !Form1) return;
    Form1->PlayItem(ListBox1.Item(selected));
}

void TForm3::ListBox1MouseDown(UINT button_message, bool double_click) {
    if (button_message != WM_LBUTTONDOWN || double_click || ListBox1.Count() < 2) return;
    DragFromIndex = ListBox1.ItemIndex();
}

void TForm3::ListBox1MouseUp(UINT button_message, bool double_click) {
    if (button_message != WM_LBUTTONUP || double_click || ListBox1.Count() < 2) return;
    const int to = ListBox1.ItemIndex();
    const int from = DragFromIndex;
    // No selection at either end, or a press remembered from a list of another length: no move.
    if (from == to || from < 0 || to < 0 || from >= ListBox1.Count()) return;
    ListBox1.Move(from, to);
    ListBox1.SetItemIndex(to);
}

// --- Rows and layout -----------------------------------------------------------------------------

void TForm3::AppendToRows(const std::vector<std::string>& selection) {
    // A playlist that cannot be read costs only its own rows: the rest of the selection is still
    // listed, and the first such error is reported once they are.
    std::vector<std::string> added;
    std::exception_ptr first_failure;
    for (const std::string& item : selection) {
        try {
            AppendSelection(added, {item});
        } catch (const std::exception&) {
            if (!first_failure) first_failure = std::current_exception();
        }
    }
    ListBox1.AddRows(added);
    if (first_failure) std::rethrow_exception(first_failure);
}

void TForm3::FollowWidth(int client_width) noexcept {
    HWND list = ListBox1.Handle();
    if (!list) return;
    RECT bounds{};
    ::GetWindowRect(list, &bounds);
    const int width = std::max(0, client_width - Scale()(kListLeft + list_right_margin_));
    ::SetWindowPos(list, nullptr, 0, 0, width, bounds.bottom - bounds.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TForm3::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wparam);
        const int code = HIWORD(wparam);
        if (id == kIdAddToList && code == BN_CLICKED) Button1Click();
        else if (id == kIdDeleteFromList && code == BN_CLICKED) Button2Click();
        else if (id == kIdSaveList && code == BN_CLICKED) Button4Click();
        else if (id == kIdPlaylistRows && code == LBN_DBLCLK) ListBox1DblClick();
        return 0;
    }
    case WM_SIZE:
        FollowWidth(LOWORD(lparam));
        return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
        limits->ptMinTrackSize = {Scale()(kFormWidth), Scale()(kFormHeight)};
        limits->ptMaxTrackSize.y = Scale()(kFormHeight);
        return 0;
    }
    default:
        return AuxiliaryForm::HandleMessage(message, wparam, lparam);
    }
}

}  // namespace wallcine::app
