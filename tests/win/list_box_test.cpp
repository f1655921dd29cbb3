// TListBox on a real LISTBOX control: rows kept by the control, range errors, moving a row, the
// case-blind search, row height and integral height, and the mouse events of the subclass with
// their double-click state.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "app/controls/list_box.h"
#include "core/errors.h"
#include "fakes/desktop_services_recorder.h"
#include "fakes/test_windows.h"
#include "win/desktop_services.h"

namespace wallcine::app {
namespace {

using Rows = std::vector<std::string>;
constexpr int kRowHeight = 13;

class ListBoxTest : public ::testing::Test {
protected:
    void SetUp() override { Create(0, 100); }
    void TearDown() override {
        ::DestroyWindow(list->Handle());
        test::PumpMessages();
    }

    void Create(DWORD extra_style, int height) {
        if (list && list->Handle()) ::DestroyWindow(list->Handle());
        list = std::make_unique<TListBox>();
        list->Create(test::SuiteParentWindow(), {7, 10, 10, 200, height, kRowHeight, extra_style});
    }

    // lParam of a mouse message over row `row` (the list shows its first row at the top).
    static LPARAM OverRow(int row) { return MAKELPARAM(20, row * kRowHeight + kRowHeight / 2); }

    std::unique_ptr<TListBox> list;
};

TEST_F(ListBoxTest, KeepsRowsInInsertionOrderUnsortedWithDuplicatesAndEmptyRows) {
    list->Add("b");
    list->Add("a");
    list->Add("");
    list->Add("a");
    list->Insert(1, "first");
    list->Insert(5, "last");

    EXPECT_EQ(list->Items(), (Rows{"b", "first", "a", "", "a", "last"}));
    EXPECT_EQ(list->Count(), 6);
    EXPECT_EQ(list->Item(3), "");
    EXPECT_EQ(list->ItemIndex(), -1) << "adding rows selects none";

    list->Delete(0);
    EXPECT_EQ(list->Items(), (Rows{"first", "a", "", "a", "last"}));
    list->SetItems({"x", "y"});
    EXPECT_EQ(list->Items(), (Rows{"x", "y"}));
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
}

TEST_F(ListBoxTest, IndexesOutsideTheRowsRaiseTheListErrorAndChangeNothing) {
    list->SetItems({"a", "b"});
    for (int bad : {-1, 2, 100}) {
        EXPECT_THROW(list->Item(bad), EListError) << bad;
        EXPECT_THROW(list->Delete(bad), EListError) << bad;
        EXPECT_THROW(list->Move(0, bad), EListError) << bad;
        EXPECT_THROW(list->Move(bad, 0), EListError) << bad;
    }
    EXPECT_THROW(list->Move(2, 2), EListError);
    EXPECT_THROW(list->Insert(3, "c"), EListError);
    EXPECT_THROW(list->Insert(-1, "c"), EListError);
    EXPECT_EQ(list->Items(), (Rows{"a", "b"}));
    try {
        list->Item(5);
    } catch (const EListError& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (5)");
    }
}

TEST_F(ListBoxTest, MoveTakesTheRowOutAndInsertsItAtTheNewIndex) {
    const std::tuple<int, int, Rows> moves[] = {
        {0, 2, {"B", "C", "A", "D"}},
        {2, 0, {"C", "A", "B", "D"}},
        {3, 1, {"A", "D", "B", "C"}},
        {1, 1, {"A", "B", "C", "D"}},
    };
    for (const auto& [from, to, expected] : moves) {
        list->SetItems({"A", "B", "C", "D"});
        list->Move(from, to);
        EXPECT_EQ(list->Items(), expected) << from << " -> " << to;
    }
}

TEST_F(ListBoxTest, SearchFindsTheFirstWholeRowIgnoringCaseOnly) {
    list->SetItems({"C:\\Clip.AVI", "c:\\clip.avi", "", "C:\\clip.avi.bak"});
    EXPECT_EQ(list->IndexOfIgnoringCase("c:\\CLIP.avi"), 0) << "the first of two equal rows";
    EXPECT_EQ(list->IndexOfIgnoringCase("C:\\clip.avi.bak"), 3) << "searching from the top, no wrap";
    EXPECT_EQ(list->IndexOfIgnoringCase("C:\\clip"), -1) << "a prefix is not a match";
    EXPECT_EQ(list->IndexOfIgnoringCase(""), 2);
    EXPECT_EQ(list->IndexOfIgnoringCase("D:\\other.avi"), -1);
}

TEST_F(ListBoxTest, SelectionFollowsItemIndexAndMinusOneClearsIt) {
    list->SetItems({"a", "b", "c"});
    list->SetItemIndex(2);
    EXPECT_EQ(list->ItemIndex(), 2);
    list->SetItemIndex(-1);
    EXPECT_EQ(list->ItemIndex(), -1);
    list->SetItemIndex(1);
    list->SetItems({"x"});
    EXPECT_EQ(list->ItemIndex(), -1) << "new rows, no selection";
}

TEST_F(ListBoxTest, RowsAreTheGivenHeightAndTheListShowsWholeRowsUnlessTold) {
    RECT client{};
    EXPECT_EQ(::SendMessageA(list->Handle(), LB_GETITEMHEIGHT, 0, 0), kRowHeight);
    ::GetClientRect(list->Handle(), &client);
    EXPECT_EQ(client.bottom % kRowHeight, 0) << "integral height: " << client.bottom;

    Create(LBS_NOINTEGRALHEIGHT, 100);
    RECT window{};
    ::GetWindowRect(list->Handle(), &window);
    EXPECT_EQ(window.bottom - window.top, 100);
    EXPECT_EQ(::SendMessageA(list->Handle(), LB_GETITEMHEIGHT, 0, 0), kRowHeight);
    EXPECT_FALSE(::GetWindowLongA(list->Handle(), GWL_STYLE) & (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
    EXPECT_TRUE(::GetWindowLongA(list->Handle(), GWL_STYLE) & LBS_NOTIFY);
}

struct MouseEvent {
    bool down;
    UINT button;
    bool double_click;
    int selected_then;
    bool operator==(const MouseEvent&) const = default;
};
std::ostream& operator<<(std::ostream& out, const MouseEvent& event) {
    return out << (event.down ? "down " : "up ") << event.button << (event.double_click ? " double" : "") << " at "
               << event.selected_then;
}

class ListBoxMouseTest : public ListBoxTest {
protected:
    void SetUp() override {
        ListBoxTest::SetUp();
        list->SetItems({"a", "b", "c"});
        list->OnMouseDown = [this](UINT button, WPARAM, bool double_click) {
            events.push_back({true, button, double_click, list->ItemIndex()});
        };
        list->OnMouseUp = [this](UINT button, WPARAM, bool double_click) {
            events.push_back({false, button, double_click, list->ItemIndex()});
        };
    }
    void Send(UINT message, WPARAM keys, int row) { ::SendMessageA(list->Handle(), message, keys, OverRow(row)); }

    std::vector<MouseEvent> events;
};

TEST_F(ListBoxMouseTest, APressSelectsTheRowUnderThePointerBeforeTheEventRuns) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 2);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 0);
    Send(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(events, (std::vector<MouseEvent>{{true, WM_LBUTTONDOWN, false, 2}, {false, WM_LBUTTONUP, false, 0}}));
}

TEST_F(ListBoxMouseTest, TheDoubleClickPressAndTheReleaseAfterItCarryTheDoubleClickState) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 1);
    Send(WM_LBUTTONUP, 0, 1);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 1);
    Send(WM_LBUTTONUP, 0, 1);
    Send(WM_RBUTTONDOWN, MK_RBUTTON, 1);
    Send(WM_RBUTTONUP, 0, 1);
    EXPECT_EQ(events, (std::vector<MouseEvent>{{true, WM_LBUTTONDOWN, false, 1},
                                               {false, WM_LBUTTONUP, false, 1},
                                               {true, WM_LBUTTONDOWN, true, 1},
                                               {false, WM_LBUTTONUP, true, 1},
                                               {true, WM_RBUTTONDOWN, false, 1},
                                               {false, WM_RBUTTONUP, false, 1}}));
}

TEST_F(ListBoxMouseTest, AnErrorInAMouseHandlerIsReportedNotUnwoundIntoTheControl) {
    test::DesktopServicesRecorder desktop;
    win::ScopedDesktopServices scope(desktop);
    list->OnMouseUp = [](UINT, WPARAM, bool) { throw EListError(7); };
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    Send(WM_LBUTTONUP, 0, 0);
    ASSERT_EQ(desktop.calls.size(), 1u);
    EXPECT_NE(desktop.calls[0].find("List index out of bounds (7)"), std::string::npos) << desktop.calls[0];
}

TEST_F(ListBoxMouseTest, TheControlOutlivingItsObjectCallsNoHandler) {
    HWND control = list->Handle();
    list.reset();
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, OverRow(1));
    ::SendMessageA(control, WM_LBUTTONUP, 0, OverRow(1));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(::SendMessageA(control, LB_GETCURSEL, 0, 0), 1) << "the control still works on its own";
    ::DestroyWindow(control);
    list = std::make_unique<TListBox>();  // for TearDown
}

}  // namespace
}  // namespace wallcine::app
