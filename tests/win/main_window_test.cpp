// TForm1 on fakes: how the first item is chosen (command line, playlist, open dialog), the start
// and its failures, the tray icon and its menu commands, and how closing the window (Exit, the
// end of the session) restores the desktop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/playback_state.h"
#include "core/errors.h"
#include "fakes/app_rig.h"
#include "fakes/test_windows.h"

namespace wallcine::app {
namespace {

using test::AppRig;
using test::LinesStartingWith;
using test::PumpMessages;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using namespace std::string_literals;

const std::string kDesktopKey = "HKCU\\Control Panel\\Desktop";

// A scratch directory for playlist files, removed with its contents.
class ScratchDirectory {
public:
    ScratchDirectory() {
        char base[MAX_PATH];
        ::GetTempPathA(MAX_PATH, base);
        path_ = std::filesystem::path(base) / ("wallcine-main-" + std::to_string(::GetCurrentProcessId()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string Write(const std::string& name, const std::string& bytes) const {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

// Drops the WM_QUIT a destroyed main window leaves in the test thread's queue.
void DiscardQuitMessage() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

TEST(MainWindowStart, AClipOnTheCommandLinePlaysAndAddsTheTrayIconWithEveryWindowHidden) {
    AppRig rig("C:\\media\\first.avi");
    rig.CreateForms();

    EXPECT_EQ(CurrentFile, "C:\\media\\first.avi");
    EXPECT_EQ(rig.form1->OpenDialog1.Files, std::vector<std::string>{"C:\\media\\first.avi"});
    EXPECT_EQ(rig.form3->ListBox1.Items(), std::vector<std::string>{"C:\\media\\first.avi"});
    EXPECT_TRUE(MediaPosition);
    EXPECT_THAT(rig.trace, Contains("graph.RenderFile C:\\media\\first.avi"));
    EXPECT_THAT(rig.trace, Contains("control.Run"));
    EXPECT_THAT(rig.trace, Not(Contains(testing::StartsWith("audio.put_Volume"))))
        << "the volume is first set when an item is next started";

    ASSERT_EQ(rig.desktop.notify_icon_records.size(), 1u);
    EXPECT_THAT(rig.desktop.calls, Contains("Shell_NotifyIconA 0"));  // NIM_ADD
    const NOTIFYICONDATAA& icon = rig.desktop.notify_icon_records[0];
    EXPECT_EQ(icon.cbSize, NOTIFYICONDATAA_V1_SIZE);
    EXPECT_EQ(icon.hWnd, rig.form1->Handle());
    EXPECT_EQ(icon.uID, 600u);
    EXPECT_EQ(icon.uFlags, 7u);
    EXPECT_EQ(icon.uCallbackMessage, 1690u);
    EXPECT_NE(icon.hIcon, nullptr);

    for (HWND window : {rig.form1->Handle(), rig.form2->Handle(), rig.form3->Handle(), rig.form4->Handle()})
        EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_FALSE(rig.form1->mmtimer1.Enabled());
    EXPECT_FALSE(rig.form1->TerminateRequested());
}

TEST(MainWindowStart, APlaylistOnTheCommandLinePlaysItsFirstEntryAndListsThemAll) {
    ScratchDirectory scratch;
    AppRig rig(scratch.Write("three.wcl", "C:\\a.avi\r\nC:\\b.avi\nC:\\c.avi"));
    rig.CreateForms();

    EXPECT_EQ(CurrentFile, "C:\\a.avi");
    EXPECT_THAT(rig.trace, Contains("graph.RenderFile C:\\a.avi"));
    EXPECT_EQ(rig.form3->ListBox1.Items(), (std::vector<std::string>{"C:\\a.avi", "C:\\b.avi", "C:\\c.avi"}));
}

TEST(MainWindowStart, WithoutAnArgumentTheOpenDialogChoosesAndCancellingEndsTheProgramSilently) {
    AppRig rig("");
    rig.dialogs.open_answers.push_back(std::nullopt);
    rig.CreateForms();

    EXPECT_TRUE(rig.form1->HaltRequested());
    EXPECT_EQ(rig.form2, nullptr) << "nothing else is created";
    EXPECT_TRUE(LinesStartingWith(rig.desktop.calls, "MessageBoxA").empty());
    EXPECT_TRUE(LinesStartingWith(rig.desktop.calls, "Shell_NotifyIconA").empty());
    EXPECT_THAT(rig.trace, Not(Contains(testing::StartsWith("graph.RenderFile"))));

    ASSERT_EQ(rig.dialogs.open_requests.size(), 1u);
    const auto& request = rig.dialogs.open_requests[0];
    EXPECT_EQ(request.filter,
              ("All video files\0*.avi;*.mpg;*.mpeg;*.wmv;*.asf;*.mp4;*.mkv;*.wcl\0"
                          "mpeg files (*.mpg;*.mpeg)\0*.mpg;*.mpeg\0window media files (*.wmv;*.asf)\0*.wmv;*.asf\0"
                          "avi files (*.avi)\0*.avi\0mp4 files (*.mp4)\0*.mp4\0mkv files (*.mkv)\0*.mkv\0"
                          "Wallcine playlist (*.wcl)\0*.wcl\0all files (*.*)\0*.*\0"s));
    EXPECT_EQ(request.filter_index, 1u);
    const DWORD wanted = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_ENABLESIZING;
    EXPECT_EQ(request.flags & wanted, wanted);
}

TEST(MainWindowStart, ThreeFilesFromTheDialogPlayTheFirstAndListAllThree) {
    AppRig rig("");
    rig.dialogs.open_answers.push_back(std::vector<std::string>{"C:\\m\\one.avi", "C:\\m\\two.avi", "C:\\m\\three.avi"});
    rig.CreateForms();

    EXPECT_EQ(CurrentFile, "C:\\m\\one.avi");
    EXPECT_EQ(rig.form3->ListBox1.Items(),
              (std::vector<std::string>{"C:\\m\\one.avi", "C:\\m\\two.avi", "C:\\m\\three.avi"}));
}

// Every failure of the start is shown in the system-modal "Error" box; the graph is torn down,
// no tray icon remains and the message loop is not entered.
TEST(MainWindowStart, AFailedStartShowsTheErrorBoxAndEndsWithoutATrayIcon) {
    ScratchDirectory scratch;
    const std::string empty_playlist = scratch.Write("empty.wcl", "");
    const std::string missing_playlist = scratch.Write("x.txt", "") + ".wcl";
    struct Case {
        const char* name;
        std::string argument;
        HRESULT render_result;
        bool has_media_position;
        std::string message;
    };
    const Case cases[] = {
        {"unrenderable file", "C:\\missing.avi", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), true, "($80070002)."},
        {"no position interface", "C:\\clip.avi", S_OK, false, "Interface not supported"},
        {"empty playlist", empty_playlist, S_OK, true, "List index out of bounds (0)"},
        {"unreadable playlist", missing_playlist, S_OK, true, "Cannot open file " + missing_playlist},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppRig rig(c.argument);
        rig.graph.render_result = c.render_result;
        rig.graph.has_media_position = c.has_media_position;
        rig.CreateForms();

        EXPECT_TRUE(rig.form1->TerminateRequested());
        const auto boxes = LinesStartingWith(rig.desktop.calls, "MessageBoxA");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].starts_with("MessageBoxA null [")) << boxes[0];
        EXPECT_TRUE(boxes[0].ends_with(c.message + "] [Error] 4112")) << boxes[0];
        EXPECT_TRUE(LinesStartingWith(rig.desktop.calls, "Shell_NotifyIconA").empty());
        EXPECT_FALSE(rig.form1->FilterGraph1.Active());
        EXPECT_NE(rig.form4, nullptr) << "the other windows are still created";
    }
}

// An error in the creation handler of another window (here the playlist window reading a playlist
// that the first one names) is reported like any handler's error, and the program goes on.
TEST(MainWindowStart, APlaylistNamingAnUnreadablePlaylistIsReportedAndPlaybackGoesOn) {
    ScratchDirectory scratch;
    const std::string missing_playlist = scratch.Write("gone.txt", "") + ".wcl";
    AppRig rig(scratch.Write("outer.wcl", "C:\\a.avi\r\n" + missing_playlist + "\r\nC:\\b.avi\r\n"));
    rig.CreateForms();

    ASSERT_NE(rig.form4, nullptr) << "every window is made";
    EXPECT_FALSE(rig.form1->TerminateRequested());
    EXPECT_TRUE(rig.form1->TrayIconAdded());
    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "MessageBoxA"),
              std::vector<std::string>{"MessageBoxA null [Cannot open file " + missing_playlist + "] [Wallcine] 16"});
    EXPECT_EQ(rig.form3->ListBox1.Items(), (std::vector<std::string>{"C:\\a.avi", "C:\\b.avi"}))
        << "the rows around it are listed";
    EXPECT_EQ(CurrentFile, "C:\\a.avi");
}

// --- Tray icon and menu --------------------------------------------------------------------------

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() { rig.CreateForms(); }
    void TearDown() override {
        for (auto* form : {static_cast<FormWindow*>(rig.form2), static_cast<FormWindow*>(rig.form3),
                           static_cast<FormWindow*>(rig.form4)})
            if (form) form->Hide();
    }
    std::string Wallpaper() { return rig.desktop.values[{kDesktopKey, "WallPaper"}].AsString(); }
    LRESULT Send(UINT message, WPARAM wparam, LPARAM lparam) {
        return ::SendMessageA(rig.form1->Handle(), message, wparam, lparam);
    }
    AppRig rig;
};

TEST_F(MainWindowTest, ALeftButtonOnTheIconShowsThePlayingControlAndOtherMessagesAreIgnored) {
    Send(kWmTrayNotify, kTrayIconId, WM_MOUSEMOVE);
    Send(kWmTrayNotify, kTrayIconId, WM_LBUTTONUP);
    Send(kWmTrayNotify, 601, WM_LBUTTONDOWN);
    EXPECT_FALSE(::IsWindowVisible(rig.form2->Handle()));

    Send(kWmTrayNotify, kTrayIconId, WM_LBUTTONDOWN);
    EXPECT_TRUE(::IsWindowVisible(rig.form2->Handle()));
}

TEST_F(MainWindowTest, TheTrayMenuHasItsItemsInOrder) {
    HMENU menu = rig.form1->TrayMenu();
    std::vector<std::string> items;
    for (int index = 0; index < ::GetMenuItemCount(menu); ++index) {
        char caption[64] = {};
        ::GetMenuStringA(menu, static_cast<UINT>(index), caption, sizeof caption, MF_BYPOSITION);
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(index), MF_BYPOSITION);
        items.push_back((state & MF_SEPARATOR) ? std::string("-")
                                               : std::to_string(::GetMenuItemID(menu, index)) + " " + caption);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"101 Load File", "102 Playlist", "-", "104 Playing Control",
                                               "105 Stretch Movie", "106 Active Filters", "-", "108 Exit"}));
}

TEST_F(MainWindowTest, MenuCommandsShowTheirWindows) {
    const std::pair<MenuCommand, FormWindow*> commands[] = {
        {kCmdPlaylist, rig.form3}, {kCmdPlayingControl, rig.form2}, {kCmdActiveFilters, rig.form4}};
    for (const auto& [command, form] : commands) {
        EXPECT_FALSE(::IsWindowVisible(form->Handle()));
        Send(WM_COMMAND, command, 0);
        EXPECT_TRUE(::IsWindowVisible(form->Handle())) << command;
    }
}

TEST_F(MainWindowTest, StretchMovieSwitchesTheAspectRatioAndBackWithItsCheckMark) {
    EXPECT_FALSE(rig.form1->StretchMovieChecked());
    EXPECT_EQ(rig.form1->Video_Window->AspectRatio(), video::rmLetterBox);
    Send(WM_COMMAND, kCmdStretchMovie, 0);
    EXPECT_TRUE(rig.form1->StretchMovieChecked());
    EXPECT_EQ(rig.form1->Video_Window->AspectRatio(), video::rmStretched);
    Send(WM_COMMAND, kCmdStretchMovie, 0);
    EXPECT_FALSE(rig.form1->StretchMovieChecked());
    EXPECT_EQ(rig.form1->Video_Window->AspectRatio(), video::rmLetterBox);
}

TEST_F(MainWindowTest, ExplorerRestartingGetsTheTrayIconAddedAgain) {
    Send(::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    ASSERT_EQ(rig.desktop.notify_icon_records.size(), 2u);
    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "Shell_NotifyIconA"),
              (std::vector<std::string>{"Shell_NotifyIconA 0", "Shell_NotifyIconA 0"}));
    EXPECT_EQ(rig.desktop.notify_icon_records[1].uID, 600u);
}

TEST_F(MainWindowTest, LoadFileOfAPlaylistRebuildsTheGraphAndTheRowsAndSetsTheSliderRange) {
    ScratchDirectory scratch;
    const std::string playlist = scratch.Write("new.wcl", "C:\\x.avi\r\nC:\\y.avi\r\n");
    rig.form1->Timer1Timer();
    CurDuration = 2.0;
    rig.graph.duration = 83.25;
    rig.dialogs.open_answers.push_back(std::vector<std::string>{playlist});
    const size_t mark = rig.trace.size();

    Send(WM_COMMAND, kCmdLoadFile, 0);

    const auto trace = rig.TraceFrom(mark);
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[0], "control.Stop");
    EXPECT_EQ(trace[1], "position.put_CurrentPosition 2") << "the outgoing item is seeked to its end once stopped";
    EXPECT_THAT(trace, Contains("graph.RenderFile C:\\x.avi"));
    EXPECT_THAT(trace, Contains("audio.put_Volume 0"));
    EXPECT_EQ(test::SeekWhileRunning(trace), "") << "the new item is rewound before it plays";
    EXPECT_EQ(CurrentFile, "C:\\x.avi");
    EXPECT_EQ(rig.form3->ListBox1.Items(), (std::vector<std::string>{"C:\\x.avi", "C:\\y.avi"}));
    EXPECT_EQ(rig.form2->TrackBar1.Max(), 832);
    EXPECT_EQ(rig.form2->movielbl.Caption(), "C:\\x.avi" + std::string(52, ' '));
    EXPECT_TRUE(rig.form1->mmtimer1.Enabled());
}

TEST_F(MainWindowTest, CancellingLoadFileLeavesPlaybackAlone) {
    rig.form1->Timer1Timer();
    rig.dialogs.open_answers.push_back(std::nullopt);
    const size_t mark = rig.trace.size();
    Send(WM_COMMAND, kCmdLoadFile, 0);
    EXPECT_TRUE(rig.TraceFrom(mark).empty());
    EXPECT_TRUE(rig.form1->mmtimer1.Enabled());
    EXPECT_TRUE(rig.form1->OpenDialog1.Files.empty());
}

// --- Closing ---------------------------------------------------------------------------------------

TEST_F(MainWindowTest, ExitRestoresTheDesktopRemovesTheIconAndEmptiesTheGraph) {
    rig.desktop.keys.insert(kDesktopKey);
    rig.desktop.values[{kDesktopKey, "WallPaper"}] = win::RegistryValue::String("C:\\sunset.bmp");
    rig.desktop.colors[COLOR_BACKGROUND] = RGB(10, 20, 30);
    rig.form1->Timer1Timer();
    ASSERT_TRUE(rig.form1->Video_Window->DesktopMode());
    EXPECT_EQ(Wallpaper(), "");

    Send(WM_COMMAND, kCmdExit, 0);

    EXPECT_FALSE(rig.form1->mmtimer1.Enabled());
    EXPECT_FALSE(rig.form1->Video_Window->DesktopMode());
    EXPECT_EQ(Wallpaper(), "C:\\sunset.bmp");
    EXPECT_EQ(rig.desktop.colors[COLOR_BACKGROUND], RGB(10, 20, 30));
    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "Shell_NotifyIconA").back(), "Shell_NotifyIconA 2");  // NIM_DELETE
    EXPECT_EQ(rig.desktop.notify_icon_records.back().uID, 600u);
    EXPECT_FALSE(rig.form1->FilterGraph1.Active());
    EXPECT_EQ(rig.form1->Handle(), nullptr) << "closing destroys the main window";
    MSG quit;
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "and ends the message loop";
    DiscardQuitMessage();
}

TEST_F(MainWindowTest, ExitBeforeDesktopModeStillLeavesItHarmlessly) {
    Send(WM_COMMAND, kCmdExit, 0);
    EXPECT_THAT(rig.desktop.calls, Not(Contains(testing::StartsWith("SetSysColors"))));
    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "Shell_NotifyIconA").back(), "Shell_NotifyIconA 2");
    DiscardQuitMessage();
}

TEST_F(MainWindowTest, TheEndOfTheSessionStopsTheTickAndRestoresTheDesktop) {
    rig.desktop.colors[COLOR_BACKGROUND] = RGB(1, 2, 3);
    rig.form1->Timer1Timer();
    ASSERT_TRUE(rig.form1->mmtimer1.Enabled());

    EXPECT_EQ(Send(WM_QUERYENDSESSION, 0, 0), TRUE);
    Send(WM_ENDSESSION, TRUE, 0);

    EXPECT_FALSE(rig.form1->mmtimer1.Enabled());
    EXPECT_FALSE(rig.form1->Video_Window->DesktopMode());
    EXPECT_EQ(rig.desktop.colors[COLOR_BACKGROUND], RGB(1, 2, 3));
    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "Shell_NotifyIconA").back(), "Shell_NotifyIconA 2");
    EXPECT_FALSE(rig.form1->FilterGraph1.Active());
}

// A restore that fails at close is shown while the program still runs: a box shown after the
// window has gone (and the quit request was posted) closes at once, unseen.
TEST_F(MainWindowTest, AFailureWhileClosingIsShownBeforeTheWindowGoes) {
    rig.form1->Timer1Timer();
    const HWND main_window = rig.form1->Handle();
    rig.graph.stop_result = E_FAIL;
    bool window_there_during_report = false;
    bool quit_requested_during_report = false;
    rig.desktop.on_message_box = [&](const std::string&) {
        window_there_during_report = ::IsWindow(main_window);
        MSG quit;
        quit_requested_during_report = ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
    };

    Send(WM_COMMAND, kCmdExit, 0);

    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "MessageBoxA").size(), 1u);
    EXPECT_TRUE(window_there_during_report);
    EXPECT_FALSE(quit_requested_during_report);
    EXPECT_FALSE(::IsWindow(main_window)) << "the window goes after the report";
    rig.graph.stop_result = S_OK;
    DiscardQuitMessage();
}

// Closing pumps messages (the renderer's window is handed back through the queue): a play-next
// that was queued before Exit must not start an item inside the close.
TEST_F(MainWindowTest, APlayNextQueuedBeforeExitIsDroppedByTheClose) {
    rig.form3->ListBox1.SetItems({"C:\\media\\first.avi", "C:\\b.avi"});
    rig.form1->Timer1Timer();
    ::PostMessageA(rig.form1->Handle(), kWmPlayNext, 0, 0);
    const size_t mark = rig.trace.size();

    Send(WM_COMMAND, kCmdExit, 0);
    PumpMessages();

    EXPECT_TRUE(LinesStartingWith(rig.TraceFrom(mark), "graph.RenderFile").empty());
    EXPECT_FALSE(rig.form1->mmtimer1.Enabled());
    EXPECT_FALSE(rig.form1->FilterGraph1.Active());
    DiscardQuitMessage();
}

// An Exit that arrives while a row starts (through the message pump inside the start) waits for
// the start to end, then closes the program.
TEST_F(MainWindowTest, AnExitArrivingWhileARowStartsWaitsForTheStartToEnd) {
    rig.form3->ListBox1.SetItems({"C:\\media\\first.avi", "C:\\b.avi"});
    rig.form1->Timer1Timer();
    const HWND main_window = rig.form1->Handle();
    ::PostMessageA(main_window, WM_COMMAND, kCmdExit, 0);
    rig.form3->ListBox1.SetItemIndex(1);
    const size_t mark = rig.trace.size();

    rig.form3->ListBox1DblClick();

    EXPECT_TRUE(::IsWindow(main_window)) << "the window outlives the start";
    const auto started = rig.TraceFrom(mark);
    EXPECT_THAT(started, Contains("graph.RenderFile C:\\b.avi"));
    EXPECT_THAT(started, Contains("control.Run"));
    PumpMessages();
    EXPECT_FALSE(::IsWindow(main_window)) << "then the Exit runs";
    EXPECT_FALSE(rig.form1 && rig.form1->FilterGraph1.Active());
    DiscardQuitMessage();
}

}  // namespace
}  // namespace wallcine::app
