// The playing control, playlist and active filters windows as a keyboard user meets them: shown,
// the focus is on one of their controls, and Tab and Shift+Tab move it along their tab order,
// through the program's own message dispatch.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "fakes/app_rig.h"
#include "fakes/test_windows.h"
#include "win/message_pump.h"

namespace wallcine::app {
namespace {

using test::AppRig;
using test::PumpMessages;

// Presses a key as the keyboard would: a key-down and key-up for the focused window, each going
// through the program's dispatch.
void PressKey(WORD key, bool shift = false) {
    BYTE keys[256] = {};
    if (shift) keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
        // Repeat count 1; a key-up also has the previous-state and transition bits.
        const LPARAM flags = message == WM_KEYDOWN ? 1 : static_cast<LPARAM>(static_cast<LONG>(0xC0000001));
        MSG press{::GetFocus(), message, key, flags};
        win::DispatchWithKeyboardNavigation(press);
    }
    BYTE released[256] = {};
    ::SetKeyboardState(released);
    PumpMessages();
}

TEST(KeyboardNavigation, TabMovesTheFocusAmongTheControlsOfEachWindow) {
    AppRig rig;
    rig.CreateForms();
    struct Case {
        const char* name;
        FormWindow* form;
        size_t tab_stops;  // controls the focus can reach with Tab
    };
    const Case cases[] = {
        {"playing control", rig.form2, 3},  // play/pause, position, volume
        {"playlist", rig.form3, 4},         // the rows and three buttons
        {"active filters", rig.form4, 1},   // the list alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.form->Show();
        PumpMessages();
        const HWND first = ::GetFocus();
        ASSERT_TRUE(first && ::IsChild(c.form->Handle(), first)) << "shown, the focus is on one of its controls";

        std::set<HWND> reached{first};
        for (size_t press = 0; press < c.tab_stops; ++press) {
            PressKey(VK_TAB);
            ASSERT_TRUE(::IsChild(c.form->Handle(), ::GetFocus())) << "Tab keeps the focus inside the window";
            reached.insert(::GetFocus());
        }
        EXPECT_EQ(reached.size(), c.tab_stops);
        EXPECT_EQ(::GetFocus(), first) << "Tab goes round the tab order";
        PressKey(VK_TAB, true);
        if (c.tab_stops > 1) {
            EXPECT_NE(::GetFocus(), first) << "Shift+Tab goes back";
        }
        c.form->Hide();
    }
}

}  // namespace
}  // namespace wallcine::app
