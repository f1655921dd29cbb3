#include "app/form1_main.h"

#include <exception>
#include <utility>

#include "app/application.h"
#include "app/autostart.h"
#include "app/control_ids.h"
#include "app/form2_playing_control.h"
#include "app/form3_playlist.h"
#include "app/form4_active_filters.h"
#include "app/playback_state.h"
#include "app/single_instance.h"
#include "app/tray_icon_removal.h"
#include "core/errors.h"
#include "core/playlist_file.h"
#include "core/time_text.h"
#include "win/desktop_services.h"
#include "win/show_exception.h"

namespace wallcine::app {

namespace {

constexpr char kOpenFilter[] =
    "All video files|*.avi;*.mpg;*.mpeg;*.wmv;*.asf;*.mp4;*.mkv;*.wcl|mpeg files (*.mpg;*.mpeg)|*.mpg;*.mpeg|"
    "window media files (*.wmv;*.asf)|*.wmv;*.asf|avi files (*.avi)|*.avi|mp4 files (*.mp4)|*.mp4|"
    "mkv files (*.mkv)|*.mkv|Wallcine playlist (*.wcl)|*.wcl|all files (*.*)|*.*";
constexpr char kPlaylistFilter[] = "Wallcine playlist (*.wcl)|*.wcl";
constexpr char kTrayTip[] = "Wallcine";

win::unique_hmenu CreateTrayMenu() {
    win::unique_hmenu menu(::CreatePopupMenu());
    if (!menu) throw Exception("Cannot create the tray menu.");
    ::AppendMenuA(menu.get(), MF_STRING, kCmdLoadFile, "Load File");
    ::AppendMenuA(menu.get(), MF_STRING, kCmdPlaylist, "Playlist");
    ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu.get(), MF_STRING, kCmdPlayingControl, "Playing Control");
    ::AppendMenuA(menu.get(), MF_STRING | MF_UNCHECKED, kCmdStretchMovie, "Stretch Movie");
    ::AppendMenuA(menu.get(), MF_STRING, kCmdActiveFilters, "Active Filters");
    ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu.get(), MF_STRING, kCmdExit, "Exit");
    return menu;
}

}  // namespace

TForm1::TForm1(std::string first_argument, const win::WinmmApi& winmm)
    : mmtimer1(winmm), first_argument_(std::move(first_argument)) {
    // A hidden top-level window rather than a message-only one: it must hear broadcasts
    // (TaskbarCreated, WM_ENDSESSION, WM_SETTINGCHANGE).
    CreateForm({"TForm1", "Wallcine", WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT, 320, 240});

    Video_Window = std::make_unique<video::TDSVideoWindowEx2>(Handle(), "Video_Window");
    Video_Window->AlignToParentClient();
    Video_Window->SetAspectRatio(video::rmLetterBox);
    Video_Window->SetAutoHideCursor(0);
    Video_Window->SetDigitalZoom(0);
    Video_Window->SetFullScreenTopMost(true);
    Video_Window->SetNoScreenSaver(false);
    Video_Window->SetColor(video::clBlack);
    auto& colors = Video_Window->ColorControl();
    colors.SetBrightness(750);
    colors.SetContrast(10000);
    colors.SetHue(0);
    colors.SetSaturation(10000);
    colors.SetSharpness(5);
    colors.SetGamma(1);
    colors.SetColorEnable(true);
    Video_Window->SetFilterGraph(&FilterGraph1);
    FilterGraph1.SetGraphEdit(false);

    mmtimer1.SetInterval(20);
    mmtimer1.SetResolution(10);
    // winmm's thread only asks the GUI thread for a tick; one request waits at a time. A request
    // that cannot be posted (the window is going, the queue is full) is not waiting: the next
    // tick asks again.
    tick_target_ = Handle();
    mmtimer1.SetOnTimer([this](TMultimediaTimer&) {
        if (tick_pending_.exchange(true)) return;
        const HWND target = tick_target_.load();
        if (!target || !::PostMessageA(target, kWmSupervisionTick, 0, 0)) tick_pending_ = false;
    });
    playback_.OnRendered = [this] { ShowRenderedItem(); };
    playback_.OnStarted = [this] { ShowStartedItem(); };
    playback_.OnIdle = [this] { RunDeferredCommands(); };

    popup_menu_ = CreateTrayMenu();
    OpenDialog1.Filter = kOpenFilter;
    SaveDialog1.Filter = kPlaylistFilter;
    SaveDialog1.DefaultExt = "wcl";
    SaveDialog1.FileName = "Movies1.wcl";
    taskbar_created_message_ = ::RegisterWindowMessageA("TaskbarCreated");

    FormCreate();
}

TForm1::~TForm1() {
    // Nothing may tick into a half-destroyed window.
    mmtimer1.SetEnabled(false);
    if (startup_timer_) ::KillTimer(Handle(), startup_timer_);
}

// --- Creation ------------------------------------------------------------------------------------

void TForm1::FormCreate() {
    try {
        ChooseFirstItem();
        if (halt_requested_) return;
        StartPlaying();
    } catch (const std::exception& error) {
        FailStart(error.what());
    } catch (...) {
        FailStart("Unknown error.");
    }
}

void TForm1::FailStart(const char* message) noexcept {
    win::DesktopServices().MessageBoxA(nullptr, message, "Error", MB_ICONHAND | MB_SYSTEMMODAL);
    try {
        FilterGraph1.Stop();
        FilterGraph1.ResetGraph();
        FilterGraph1.SetActive(false);
    } catch (...) {
        // Tearing down a graph that failed to build: nothing more to undo.
    }
    RemoveTrayIcon();
    terminate_requested_ = true;
}

void TForm1::ChooseFirstItem() {
    if (first_argument_.empty()) {
        if (!OpenDialog1.Execute(nullptr)) {
            halt_requested_ = true;
            return;
        }
        CurrentFile = ItemOfDialogSelection();
        return;
    }
    OpenDialog1.Files.clear();
    CheckItemName(first_argument_);
    if (!IsPlaylistFile(first_argument_)) {
        CurrentFile = first_argument_;
        OpenDialog1.Files.push_back(first_argument_);
        return;
    }
    const std::vector<std::string> entries = ReadPlaylistFile(first_argument_);
    if (entries.empty()) throw EListError(0);
    CurrentFile = entries.front();
    OpenDialog1.Files = entries;
}

std::string TForm1::ItemOfDialogSelection() const {
    // A selected playlist file stays one entry of the selection; its lines become rows later.
    return IsPlaylistFile(OpenDialog1.FileName) ? FirstPlaylistEntry(OpenDialog1.FileName) : OpenDialog1.FileName;
}

void TForm1::StartPlaying() {
    playback_.StartFirst(CurrentFile);
    // Armed before the tray icon: the second counts from the start of playback, not from when
    // the shell has taken the icon.
    startup_timer_ = ::SetTimer(Handle(), kStartupTimerId, 1000, nullptr);
    AddTrayIcon();
}

// --- Starting items ---------------------------------------------------------------------------------

void TForm1::PlayItem(const std::string& path) {
    if (Busy()) return;
    playback_.Replace(path);
}

void TForm1::ShowRenderedItem() {
    ReadDuration();
    if (Form2) Form2->TrackBar1.SetMax(ToSliderTenths(CurDuration));
}

void TForm1::ShowStartedItem() {
    // A new item plays: an unseen pause of the old one is over (the next look pauses it again).
    paused_unseen_ = false;
    if (Form2) Form2->movielbl.SetCaption(TitleText(CurrentFile));
    RefreshActiveFilters();
}

void TForm1::RunDeferredCommands() {
    // Posted, not run here: the start that deferred it is still on the stack.
    if (std::exchange(close_deferred_, false)) ::PostMessageA(Handle(), WM_CLOSE, 0, 0);
    if (handed_over_) ::PostMessageA(Handle(), kWmOpenHandedOver, 0, 0);
    FollowWhetherSeen();
}

void TForm1::PauseWhileUnseen(const UnseenChoices& choices) {
    unseen_watch_ = std::make_unique<UnseenWatch>(
        choices, [this] { return Video_Window->DesktopMode() ? Video_Window->DesktopMonitor() : nullptr; },
        [this](bool) { FollowWhetherSeen(); });
}

void TForm1::FollowWhetherSeen() {
    // While an item starts the answer waits: the start's end asks again (RunDeferredCommands).
    if (Busy() || !unseen_watch_) return;
    const bool unseen = unseen_watch_->Unseen();
    if (unseen && !paused_unseen_) {
        // Only a supervised item that the user has playing is paused; the tick goes idle, so
        // the pause can never look like the end of the item.
        if (!IsPlaying || !mmtimer1.Enabled() || !MediaPosition) return;
        mmtimer1.SetEnabled(false);
        paused_unseen_ = true;
        FilterGraph1.Pause();
    } else if (!unseen && paused_unseen_) {
        paused_unseen_ = false;
        FilterGraph1.Play();
        mmtimer1.SetEnabled(true);
    }
}

void TForm1::ForgetUnseenPause() {
    if (!std::exchange(paused_unseen_, false)) return;
    // The supervision runs again, whatever the user chooses next.
    mmtimer1.SetEnabled(true);
}

void TForm1::RefreshActiveFilters() {
    if (Form4) Form4->FormShow();
}

// --- Tray icon and menu ----------------------------------------------------------------------------

void TForm1::AddTrayIcon() {
    TrayIconData = {};
    // The first version of the record: 88 bytes on 32-bit Windows, the same fields at the
    // platform's pointer width on x64.
    TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    TrayIconData.hWnd = Handle();
    TrayIconData.uID = kTrayIconId;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIconData.uCallbackMessage = kWmTrayNotify;
    TrayIconData.hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    // A module without our icon (a test program) still gets a visible one.
    if (!TrayIconData.hIcon) TrayIconData.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpynA(TrayIconData.szTip, kTrayTip, sizeof TrayIconData.szTip);
    win::DesktopServices().Shell_NotifyIconA(NIM_ADD, &TrayIconData);
    tray_icon_added_ = true;
}

void TForm1::RemoveTrayIcon() noexcept {
    if (!tray_icon_added_) return;
    // A shell slow to answer (Wine's tray outside a virtual desktop) must not hold up the close.
    RemoveTrayIconPromptly(TrayIconData);
    tray_icon_added_ = false;
}

void TForm1::wmnotify(WPARAM wparam, LPARAM lparam) {
    if (wparam != kTrayIconId) return;
    if (lparam == WM_RBUTTONDOWN) {
        // Not while an item starts or the program closes: the menu's own loop would hold that
        // sequence until the menu closed.
        if (!Busy()) ShowTrayMenu();
    } else if (lparam == WM_LBUTTONDOWN) {
        Form2->Show();
    }
}

void TForm1::ShowTrayMenu() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The menu closes when the user clicks elsewhere only if our window is in the foreground.
    ::SetForegroundWindow(Handle());
    ::TrackPopupMenu(popup_menu_.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
    ::PostMessageA(Handle(), WM_NULL, 0, 0);
}

bool TForm1::StretchMovieChecked() const noexcept {
    return (::GetMenuState(popup_menu_.get(), kCmdStretchMovie, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TForm1::LoadFile1Click() {
    if (Busy() || !OpenDialog1.Execute(Handle())) return;
    PlayDialogSelection();
}

void TForm1::PlayDialogSelection() {
    // Chosen before anything is touched: a playlist that cannot be read leaves the item playing.
    const std::string item = ItemOfDialogSelection();
    playback_.Replace(item);
    Form3->FormCreate();
    RememberForNextSession(ExecutablePath(), OpenDialog1.FileName);
}

void TForm1::OpenHandedOver() {
    if (!handed_over_ || playback_.Closing()) return;
    // While an item starts it waits: RunDeferredCommands asks again once the start has ended.
    if (Busy()) return;
    const std::string argument = std::exchange(handed_over_, std::nullopt).value();
    if (argument.empty()) {
        Form2->Show();
        return;
    }
    OpenDialog1.Files = {argument};
    OpenDialog1.FileName = argument;
    PlayDialogSelection();
}

void TForm1::Playlist1Click() { Form3->Show(); }

void TForm1::About1Click() { Form2->Show(); }

void TForm1::Filters1Click() { Form4->Show(); }

void TForm1::StretchMovie1Click() {
    const bool stretch = !StretchMovieChecked();
    ::CheckMenuItem(popup_menu_.get(), kCmdStretchMovie, MF_BYCOMMAND | (stretch ? MF_CHECKED : MF_UNCHECKED));
    Video_Window->SetAspectRatio(stretch ? video::rmStretched : video::rmLetterBox);
}

void TForm1::Exit1Click() {
    mmtimer1.SetEnabled(false);
    if (playback_.Closing()) return;
    // An Exit chosen while an item starts (through a message pump inside the start) waits for
    // the start to end; the window is never destroyed in the middle of it.
    if (Busy()) {
        close_deferred_ = true;
        return;
    }
    ::SendMessageA(Handle(), WM_CLOSE, 0, 0);
}

// --- Closing ---------------------------------------------------------------------------------------

void TForm1::FormClose() {
    if (closed_) return;
    closed_ = true;
    // Whatever arrives through a message pump from here on (a queued play-next, a tick, a
    // command) finds the program closing and is dropped.
    const Playback::CloseScope closing(playback_);
    unseen_watch_.reset();
    // However the window closes (Exit, log-off, shutdown), no tick may touch the graph below.
    mmtimer1.SetEnabled(false);
    if (startup_timer_) ::KillTimer(Handle(), std::exchange(startup_timer_, 0));
    // The desktop and the tray come first, and each step runs even when an earlier one failed:
    // whatever the graph does on its way down, the user's settings are back.
    std::exception_ptr failure;
    auto step = [&failure](auto&& action) {
        try {
            action();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    };
    step([this] { Video_Window->LeaveDesktopMode(); });
    RemoveTrayIcon();
    step([this] {
        playback_.StopOutgoingItem();
        FilterGraph1.ResetGraph();
        FilterGraph1.SetActive(false);
    });
    if (failure) std::rethrow_exception(failure);
}

void TForm1::EndSession() {
    // The session ends without WM_CLOSE: restore the desktop now, the process is ended next.
    FormClose();
}

// --- Messages --------------------------------------------------------------------------------------

LRESULT TForm1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case kWmTrayNotify:
        wmnotify(wparam, lparam);
        return 0;
    case kWmPlayNext:
        WMPlayNext(wparam);
        return 0;
    case kWmSupervisionTick:
        SupervisionTickArrived();
        return 0;
    case WM_COPYDATA:
        if (auto argument = HandedOverArgument(*reinterpret_cast<const COPYDATASTRUCT*>(lparam))) {
            // Played from our own queue: the other start waits for this answer only.
            handed_over_ = std::move(argument);
            ::PostMessageA(Handle(), kWmOpenHandedOver, 0, 0);
            return TRUE;
        }
        return FALSE;
    case kWmOpenHandedOver:
        OpenHandedOver();
        return 0;
    case WM_TIMER:
        if (wparam == kStartupTimerId) Timer1Timer();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case kCmdLoadFile: LoadFile1Click(); break;
        case kCmdPlaylist: Playlist1Click(); break;
        case kCmdPlayingControl: About1Click(); break;
        case kCmdStretchMovie: StretchMovie1Click(); break;
        case kCmdActiveFilters: Filters1Click(); break;
        case kCmdExit: Exit1Click(); break;
        default: break;
        }
        return 0;
    case WM_SIZE:
        Video_Window->AlignToParentClient();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wparam) EndSession();
        return 0;
    case WM_CLOSE:
        if (playback_.Closing()) return 0;
        if (Busy()) {
            close_deferred_ = true;
            return 0;
        }
        // Closing ends the program even when restoring something failed. The failure is shown
        // while the program still runs, then the window goes: a box shown after the quit
        // request would close at once, unseen.
        try {
            FormClose();
        } catch (...) {
            win::ShowCurrentException();
        }
        ::DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        tick_target_ = nullptr;
        ::PostQuitMessage(0);
        return 0;
    default:
        if (message == taskbar_created_message_ && taskbar_created_message_ != 0) {
            // Explorer restarted: its new tray knows nothing of our icon.
            if (tray_icon_added_) win::DesktopServices().Shell_NotifyIconA(NIM_ADD, &TrayIconData);
            return 0;
        }
        return FormWindow::HandleMessage(message, wparam, lparam);
    }
}

}  // namespace wallcine::app
