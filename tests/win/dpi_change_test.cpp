// The auxiliary windows moved to a monitor of another DPI (WM_DPICHANGED, as Windows sends it to
// a per-monitor aware program), on real controls: the layout, fonts, row heights and status bar
// follow the new DPI, and coming back restores the 96-DPI layout exactly.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/control_ids.h"
#include "fakes/app_rig.h"
#include "fakes/test_windows.h"

namespace wallcine::app {
namespace {

constexpr UINT kWmDpiChanged = 0x02E0;

RECT BoundsInParent(HWND child) {
    RECT bounds{};
    ::GetWindowRect(child, &bounds);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

std::vector<RECT> ChildBounds(HWND form) {
    std::vector<RECT> bounds;
    for (HWND child = ::GetWindow(form, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        bounds.push_back(BoundsInParent(child));
    return bounds;
}

bool operator==(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

// The font a control draws with, as its height in pixels (negative: the character height).
LONG FontHeight(HWND control) {
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

// What Windows does when the window reaches a monitor of `dpi`: the message, with the window's
// rectangle scaled by the system as the suggestion.
void MoveToMonitorOfDpi(HWND form, UINT from_dpi, UINT to_dpi) {
    RECT window{};
    ::GetWindowRect(form, &window);
    RECT suggested{window.left, window.top,
                   window.left + ::MulDiv(window.right - window.left, to_dpi, from_dpi),
                   window.top + ::MulDiv(window.bottom - window.top, to_dpi, from_dpi)};
    ::SendMessageA(form, kWmDpiChanged, MAKEWPARAM(to_dpi, to_dpi), reinterpret_cast<LPARAM>(&suggested));
    test::PumpMessages();
}

class DpiChangeTest : public ::testing::Test {
protected:
    DpiChangeTest() { rig.CreateForms(); }
    test::AppRig rig;
};

TEST_F(DpiChangeTest, PlayingControlDoublesAt192AndComesBackExactlyAt96) {
    const HWND form = rig.form2->Handle();
    const std::vector<RECT> at96 = ChildBounds(form);
    const LONG title_font = FontHeight(::GetDlgItem(form, kIdTitle));

    MoveToMonitorOfDpi(form, 96, 192);
    const RECT panel = BoundsInParent(::GetDlgItem(form, kIdPicturePanel));  // 32, 40, 205 x 157 at 96
    EXPECT_EQ(panel.left, 64);
    EXPECT_EQ(panel.top, 80);
    EXPECT_EQ(panel.right - panel.left, 410);
    EXPECT_EQ(panel.bottom - panel.top, 314);
    EXPECT_EQ(FontHeight(::GetDlgItem(form, kIdTitle)), 2 * title_font);
    EXPECT_EQ(FontHeight(::GetDlgItem(form, kIdCreditLabel)), 2 * title_font);
    // The status bar: twice as high, along the bottom of the new client area.
    RECT client{};
    ::GetClientRect(form, &client);
    const RECT status = BoundsInParent(::GetDlgItem(form, kIdStatusBar));
    EXPECT_EQ(status.bottom - status.top, 38);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(status.right, client.right);

    MoveToMonitorOfDpi(form, 192, 96);
    const std::vector<RECT> back = ChildBounds(form);
    ASSERT_EQ(back.size(), at96.size());
    for (size_t i = 0; i < back.size(); ++i) EXPECT_TRUE(back[i] == at96[i]) << "child " << i;
    EXPECT_EQ(FontHeight(::GetDlgItem(form, kIdTitle)), title_font);
}

TEST_F(DpiChangeTest, ListsTakeTheNewFontAndRowHeightAndThePlaylistKeepsItsMargin) {
    const HWND playlist = rig.form3->Handle();
    const HWND rows = ::GetDlgItem(playlist, kIdPlaylistRows);
    const HWND filters = ::GetDlgItem(rig.form4->Handle(), kIdFilterNames);
    RECT client{};
    ::GetClientRect(playlist, &client);
    const int margin_at96 = client.right - BoundsInParent(rows).right;

    MoveToMonitorOfDpi(playlist, 96, 192);
    MoveToMonitorOfDpi(rig.form4->Handle(), 96, 192);
    EXPECT_EQ(::SendMessageA(rows, LB_GETITEMHEIGHT, 0, 0), 26);
    EXPECT_EQ(::SendMessageA(filters, LB_GETITEMHEIGHT, 0, 0), 26);
    EXPECT_EQ(FontHeight(rows), -22);
    EXPECT_EQ(FontHeight(::GetDlgItem(playlist, kIdSaveList)), -22);
    EXPECT_EQ(BoundsInParent(rows).left, 16);

    // Widening the window widens the list, which keeps its (doubled) distance to the right edge.
    RECT window{};
    ::GetWindowRect(playlist, &window);
    ::SetWindowPos(playlist, nullptr, 0, 0, window.right - window.left + 100, window.bottom - window.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::GetClientRect(playlist, &client);
    EXPECT_EQ(client.right - BoundsInParent(rows).right, 2 * margin_at96);
}

}  // namespace
}  // namespace wallcine::app
