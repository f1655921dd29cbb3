// The playing control window (TForm2) among the application's windows on fakes: its layout, the
// handlers of its controls reached through the real controls' messages, and what it draws.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/playback_state.h"
#include "core/errors.h"
#include "core/time_text.h"
#include "fakes/app_rig.h"
#include "fakes/test_windows.h"

namespace wallcine::app {
namespace {

using test::AppRig;
using test::LinesStartingWith;
using test::PumpMessages;
using ::testing::ElementsAre;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return ::SendMessageA(window, message, wparam, lparam);
}

class PlayingControlTest : public ::testing::Test {
protected:
    PlayingControlTest() { rig.CreateForms(); }
    void TearDown() override {
        for (FormWindow* form : {static_cast<FormWindow*>(rig.form2), static_cast<FormWindow*>(rig.form3)})
            if (form) form->Hide();
    }

    TForm2& Form() { return *rig.form2; }
    HWND Control(int id) { return ::GetDlgItem(Form().Handle(), id); }
    // What the control does when the user scrolls it: the thumb moves, then the form hears of it.
    void UserScrolls(TTrackBar& bar, int value, UINT scroll_message) {
        Send(bar.Handle(), TBM_SETPOS, TRUE, value);
        Send(Form().Handle(), scroll_message, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(bar.Handle()));
    }
    void Click(HWND control) {
        Send(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        Send(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        PumpMessages();
    }
    // One owner-drawn control painted into a white bitmap of the given size, read back as pixels.
    std::vector<COLORREF> DrawIntoBitmap(int id, UINT type, int width, int height, UINT state = 0);

    AppRig rig;
};

std::vector<COLORREF> PlayingControlTest::DrawIntoBitmap(int id, UINT type, int width, int height, UINT state) {
    win::unique_hdc dc(::CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    win::unique_hbitmap canvas(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        win::select_object_scope select(dc.get(), canvas.get());
        RECT all{0, 0, width, height};
        ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        DRAWITEMSTRUCT item{type, static_cast<UINT>(id), 0, ODA_DRAWENTIRE, state, Control(id), dc.get(), all, 0};
        EXPECT_EQ(Send(Form().Handle(), WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item)), TRUE);
        ::GdiFlush();
    }
    std::vector<COLORREF> pixels;
    const auto* quads = static_cast<const RGBQUAD*>(bits);
    for (int i = 0; i < width * height; ++i) pixels.push_back(RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue));
    return pixels;
}

// --- Layout ------------------------------------------------------------------------------------

TEST_F(PlayingControlTest, IsAHiddenFixedToolWindowOf272By273CentredOnTheScreen) {
    HWND form = Form().Handle();
    char text[64] = "";
    ::GetClassNameA(form, text, sizeof text);
    EXPECT_STREQ(text, "TForm2");
    ::GetWindowTextA(form, text, sizeof text);
    EXPECT_STREQ(text, " Wallcine Player 2.1");
    EXPECT_FALSE(::IsWindowVisible(form));
    RECT client{};
    ::GetClientRect(form, &client);
    EXPECT_EQ(client.right, 272);
    EXPECT_EQ(client.bottom, 273);
    const auto style = ::GetWindowLongPtrA(form, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(::GetWindowLongPtrA(form, GWL_EXSTYLE) & WS_EX_COMPOSITED) << "double buffered";
    RECT outer{};
    ::GetWindowRect(form, &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

struct ControlLayout {
    int id;
    const char* window_class;
    RECT bounds;  // right and bottom -1: sized to the caption, so only positive
    const char* text;
};

TEST_F(PlayingControlTest, ControlsAreStandardControlsAtTheirBounds) {
    const ControlLayout layout[] = {
        {kIdCreditLabel, "static", {80, 8, -1, 21}, "Developed by Quillon"},
        {kIdYearLabel, "static", {120, 24, -1, 37}, "2008"},
        {kIdPicturePanel, "static", {32, 40, 237, 197}, ""},
        {kIdPicture, "static", {38, 46, 230, 190}, ""},
        {kIdPlayPause, "button", {32, 200, 64, 228}, ""},
        {kIdPosition, "msctls_trackbar32", {72, 200, 233, 225}, ""},
        {kIdVolume, "msctls_trackbar32", {240, 48, 265, 198}, ""},
        {kIdTitle, "static", {0, 238, 272, 254}, "Wallcine Player"},
        {kIdStatusBar, "msctls_statusbar32", {0, 254, 272, 273}, ""},
    };
    for (const ControlLayout& expected : layout) {
        SCOPED_TRACE(expected.id);
        HWND control = Control(expected.id);
        ASSERT_NE(control, nullptr);
        char text[64] = "";
        ::GetClassNameA(control, text, sizeof text);
        EXPECT_EQ(Lower(text), expected.window_class);
        ::GetWindowTextA(control, text, sizeof text);
        EXPECT_STREQ(text, expected.text);
        RECT bounds{};
        ::GetWindowRect(control, &bounds);
        ::MapWindowPoints(nullptr, Form().Handle(), reinterpret_cast<POINT*>(&bounds), 2);
        EXPECT_EQ(bounds.left, expected.bounds.left);
        EXPECT_EQ(bounds.top, expected.bounds.top);
        EXPECT_EQ(bounds.bottom, expected.bounds.bottom);
        if (expected.bounds.right < 0) EXPECT_GT(bounds.right, bounds.left);
        else EXPECT_EQ(bounds.right, expected.bounds.right);
    }
    // The two labels sized to their captions: the long credit is wider than the year.
    RECT credit{}, year{};
    ::GetWindowRect(Control(kIdCreditLabel), &credit);
    ::GetWindowRect(Control(kIdYearLabel), &year);
    EXPECT_GT(credit.right - credit.left, 2 * (year.right - year.left));
}

TEST_F(PlayingControlTest, LabelsUseTheFormFontBoldAndTheCreditUnderlined) {
    const auto font_of = [this](int id) {
        LOGFONTA font{};
        ::GetObjectA(reinterpret_cast<HFONT>(Send(Control(id), WM_GETFONT)), sizeof font, &font);
        return font;
    };
    const LOGFONTA credit = font_of(kIdCreditLabel);
    EXPECT_STREQ(credit.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(credit.lfHeight, -11);
    EXPECT_EQ(credit.lfWeight, FW_BOLD);
    EXPECT_TRUE(credit.lfUnderline);
    const LOGFONTA year = font_of(kIdYearLabel);
    EXPECT_EQ(year.lfWeight, FW_BOLD);
    EXPECT_FALSE(year.lfUnderline);
    EXPECT_EQ(font_of(kIdTitle).lfWeight, FW_NORMAL);
}

TEST_F(PlayingControlTest, TheTrackBarsHaveTheirRangesStepsAndHints) {
    TTrackBar& position = Form().TrackBar1;
    EXPECT_EQ(position.Min(), 0);
    EXPECT_EQ(Send(position.Handle(), TBM_GETLINESIZE), 1);
    EXPECT_EQ(Send(position.Handle(), TBM_GETPAGESIZE), 10);
    EXPECT_EQ(position.Hint(), "Position");
    EXPECT_FALSE(::GetWindowLongPtrA(position.Handle(), GWL_STYLE) & TBS_VERT);
    TTrackBar& volume = Form().TrackBar2;
    EXPECT_EQ(volume.Min(), 1);
    EXPECT_EQ(volume.Max(), 10000);
    EXPECT_EQ(volume.Position(), 1);
    EXPECT_EQ(Send(volume.Handle(), TBM_GETLINESIZE), 100);
    EXPECT_EQ(Send(volume.Handle(), TBM_GETPAGESIZE), 1000);
    EXPECT_EQ(volume.Hint(), "Volume");
    EXPECT_TRUE(::GetWindowLongPtrA(volume.Handle(), GWL_STYLE) & TBS_VERT);
}

TEST_F(PlayingControlTest, TheStatusBarHasALeftPanelOf136AndARightAlignedOneToTheEdge) {
    HWND bar = Form().StatusBar1.Handle();
    int edges[4] = {};
    ASSERT_EQ(Send(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
    EXPECT_EQ(edges[0], 136);
    EXPECT_EQ(edges[1], -1);

    Form().StatusBar1.SetPanelText(0, "Position: 00:00:01:000");
    Form().StatusBar1.SetPanelText(1, "Duration: 00:00:02:000");
    EXPECT_EQ(Form().StatusBar1.PanelText(0), "Position: 00:00:01:000");
    EXPECT_EQ(Form().StatusBar1.PanelText(1), "Duration: 00:00:02:000");
    char raw[64] = "";
    Send(bar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(raw));
    EXPECT_STREQ(raw, "\t\tDuration: 00:00:02:000") << "two tabs right-align a status bar part";
    EXPECT_THROW(Form().StatusBar1.SetPanelText(2, "x"), EListError);
}

TEST_F(PlayingControlTest, TheTitleIsSilverOnBlackAndTheOtherLabelsKeepTheFace) {
    win::unique_hdc dc(::CreateCompatibleDC(nullptr));
    const auto brush = Send(Form().Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                            reinterpret_cast<LPARAM>(Form().movielbl.Handle()));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), ::GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(::GetTextColor(dc.get()), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(::GetBkColor(dc.get()), RGB(0, 0, 0));

    const auto other = Send(Form().Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                            reinterpret_cast<LPARAM>(Control(kIdYearLabel)));
    EXPECT_NE(reinterpret_cast<HGDIOBJ>(other), ::GetStockObject(BLACK_BRUSH));
}

TEST_F(PlayingControlTest, TheCreditAndThePictureShowTheHandCursor) {
    const HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND);
    for (HWND link : {Control(kIdCreditLabel), Control(kIdPicture)}) {
        ::SetCursor(nullptr);
        EXPECT_EQ(Send(Form().Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
                  TRUE);
        EXPECT_EQ(::GetCursor(), hand);
    }
    ::SetCursor(nullptr);
    Send(Form().Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Control(kIdYearLabel)),
         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(::GetCursor(), hand) << "the year is no link";
}

TEST_F(PlayingControlTest, ThePictureIsDrawnFromTheDecodedJpeg) {
    const auto pixels = DrawIntoBitmap(kIdPicture, ODT_STATIC, 192, 144);
    const COLORREF corner = pixels[2 * 192 + 2];
    const COLORREF middle = pixels[72 * 192 + 96];
    EXPECT_LT(GetRValue(corner), 0x30);
    EXPECT_GT(GetRValue(middle), 0x70);
    EXPECT_LT(GetRValue(middle), 0xC8);
}

// --- Handlers ----------------------------------------------------------------------------------

struct VolumeCase {
    int slider;
    LONG volume_level;
};

class PlayingControlVolume : public PlayingControlTest, public ::testing::WithParamInterface<VolumeCase> {};

TEST_P(PlayingControlVolume, TheSliderSetsTheVolumeLevelOnTheSquaredCurveAndTheGraphFollows) {
    const VolumeCase& c = GetParam();
    // Start away from the case's place, so that the scroll there is a change.
    UserScrolls(Form().TrackBar2, c.slider == 5000 ? 1 : 5000, WM_VSCROLL);
    const size_t mark = rig.trace.size();

    UserScrolls(Form().TrackBar2, c.slider, WM_VSCROLL);

    EXPECT_EQ(Form().TrackBar2.Position(), c.slider);
    EXPECT_EQ(VolumeLevel, c.volume_level);
    EXPECT_EQ(LinesStartingWith(rig.TraceFrom(mark), "audio.put_Volume"),
              std::vector<std::string>{"audio.put_Volume " + std::to_string(c.volume_level - 10000)});
}

INSTANTIATE_TEST_SUITE_P(Curve, PlayingControlVolume,
                         ::testing::Values(VolumeCase{1, 10000}, VolumeCase{100, 9999}, VolumeCase{1000, 9900},
                                           VolumeCase{5000, 7500}, VolumeCase{9000, 1900}, VolumeCase{10000, 0}));

TEST_F(PlayingControlTest, TheEndKeyOnTheVolumeBarSilencesThePlayer) {
    // The control's own keyboard handling sends the scroll notification to the form.
    Send(Form().TrackBar2.Handle(), WM_KEYDOWN, VK_END, 0);
    Send(Form().TrackBar2.Handle(), WM_KEYUP, VK_END, 0);
    EXPECT_EQ(Form().TrackBar2.Position(), 10000);
    EXPECT_EQ(VolumeLevel, 0);
    EXPECT_EQ(LinesStartingWith(rig.trace, "audio.put_Volume").back(), "audio.put_Volume -10000");
}

TEST_F(PlayingControlTest, ThePlayPauseButtonPausesAndResumesByIsPlayingAndToggles) {
    HWND button = Control(kIdPlayPause);
    EXPECT_TRUE(Form().SpeedButton1Down()) << "down at creation";
    IsPlaying = true;  // as the start-up timer leaves it
    size_t mark = rig.trace.size();

    Send(button, BM_CLICK);
    EXPECT_FALSE(IsPlaying);
    EXPECT_FALSE(Form().SpeedButton1Down());
    EXPECT_THAT(LinesStartingWith(rig.TraceFrom(mark), "control."), ElementsAre("control.Pause"));

    mark = rig.trace.size();
    Send(button, BM_CLICK);
    EXPECT_TRUE(IsPlaying);
    EXPECT_TRUE(Form().SpeedButton1Down());
    EXPECT_THAT(LinesStartingWith(rig.TraceFrom(mark), "control."), ElementsAre("control.Run"));
}

TEST_F(PlayingControlTest, ThePlayPauseHandlerFollowsIsPlayingNotTheButton) {
    // Before the start-up timer: the button is down but IsPlaying is still false.
    ASSERT_FALSE(IsPlaying);
    const size_t mark = rig.trace.size();
    Send(Control(kIdPlayPause), BM_CLICK);
    EXPECT_TRUE(IsPlaying);
    EXPECT_FALSE(Form().SpeedButton1Down());
    EXPECT_THAT(LinesStartingWith(rig.TraceFrom(mark), "control."), ElementsAre("control.Run"));
}

TEST_F(PlayingControlTest, TheButtonShowsATriangleWhileDownAndASquareWhileUp) {
    // 32 x 28 button, 16 x 15 glyph centred and shifted by one pixel while pushed.
    const auto glyph_corner_is_black = [this] {
        const auto pixels = DrawIntoBitmap(kIdPlayPause, ODT_BUTTON, 32, 28);
        const int left = (32 - 16) / 2 + (Form().SpeedButton1Down() ? 1 : 0);
        const int top = (28 - 15) / 2 + (Form().SpeedButton1Down() ? 1 : 0);
        return pixels[(top + 3) * 32 + left + 12] == RGB(0, 0, 0);  // a square's top right corner
    };
    EXPECT_FALSE(glyph_corner_is_black()) << "down: the triangle";
    Send(Control(kIdPlayPause), BM_CLICK);
    ASSERT_FALSE(Form().SpeedButton1Down());
    EXPECT_TRUE(glyph_corner_is_black()) << "up: the square";
}

TEST_F(PlayingControlTest, ShowingSetsTheTitleAndTheRangeWithoutSeekingWhenNothingIsClamped) {
    rig.graph.duration = 83.25;
    const size_t mark = rig.trace.size();

    Form().Show();

    EXPECT_EQ(Form().movielbl.Caption(), TitleText(CurrentFile));
    EXPECT_EQ(CurDuration, 83.25);
    EXPECT_EQ(Form().TrackBar1.Max(), 832) << "832.5 rounds to the even neighbour";
    EXPECT_TRUE(LinesStartingWith(rig.TraceFrom(mark), "position.put_CurrentPosition").empty());
}

TEST_F(PlayingControlTest, ShowingWithAShorterItemClampsTheUsersPositionAndSeeksThere) {
    rig.graph.duration = 1000;
    Form().Show();
    UserScrolls(Form().TrackBar1, 9000, WM_HSCROLL);  // the user seeks to 900 s
    Form().Hide();
    rig.graph.duration = 83.25;
    const size_t mark = rig.trace.size();

    Form().Show();

    EXPECT_EQ(Form().TrackBar1.Position(), 832);
    EXPECT_EQ(LinesStartingWith(rig.TraceFrom(mark), "position.put_CurrentPosition"),
              std::vector<std::string>{"position.put_CurrentPosition 83.2"});
    EXPECT_EQ(Form().StatusBar1.PanelText(0), "Position: 00:01:23:200");
    EXPECT_EQ(Form().StatusBar1.PanelText(1), "Duration: 00:01:23:250");
}

TEST_F(PlayingControlTest, ScrollingThePositionSeeksAndRewritesBothPanels) {
    rig.graph.duration = 4000;
    Form().TrackBar1.SetMax(40000);
    const size_t mark = rig.trace.size();

    UserScrolls(Form().TrackBar1, 37255, WM_HSCROLL);

    EXPECT_EQ(LinesStartingWith(rig.TraceFrom(mark), "position.put_CurrentPosition"),
              std::vector<std::string>{"position.put_CurrentPosition 3725.5"});
    EXPECT_EQ(CurPosition, 3725.5);
    EXPECT_EQ(Form().StatusBar1.PanelText(0), "Position: 01:02:05:500");
    EXPECT_EQ(Form().StatusBar1.PanelText(1), "Duration: 01:06:40:000");
}

TEST_F(PlayingControlTest, TheCreditOpensTheMakersPageThroughTheShell) {
    Click(Control(kIdCreditLabel));
    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "ShellExecuteA"),
              std::vector<std::string>{"ShellExecuteA open http://quillon.example.org/wallcine/ 1"});
}

TEST_F(PlayingControlTest, ThePictureShowsThePlaylistWindow) {
    ASSERT_FALSE(rig.form3->Visible());
    Click(Control(kIdPicture));
    EXPECT_TRUE(rig.form3->Visible());
}

TEST_F(PlayingControlTest, ClosingOnlyHidesTheWindow) {
    Form().Show();
    Send(Form().Handle(), WM_CLOSE);
    EXPECT_FALSE(Form().Visible());
    EXPECT_TRUE(::IsWindow(Form().Handle()));
}

}  // namespace
}  // namespace wallcine::app
