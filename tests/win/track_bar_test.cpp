// TTrackBar on a real track bar: the stored position kept apart from the thumb, a new maximum
// clamping it, a scroll reloading it, and the settings the control is created with.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/controls/track_bar.h"
#include "fakes/test_windows.h"

namespace wallcine::app {
namespace {

LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return ::SendMessageA(window, message, wparam, lparam);
}

// A position bar as the playing control window has it: 0..100, stored position 0.
class TrackBarTest : public ::testing::Test {
protected:
    TrackBarTest() {
        bar.Create(test::SuiteParentWindow(), {1, 10, 10, 161, 25, false, 0, 100, 0, 1, 10, "Position"});
        bar.OnChange = [this] { changes.push_back(bar.Position()); };
    }
    ~TrackBarTest() override { ::DestroyWindow(bar.Handle()); }

    // What the control does when the user drags or clicks: the thumb moves, nobody is told yet.
    void UserPutsThumbAt(int value) { Send(bar.Handle(), TBM_SETPOS, TRUE, value); }

    TTrackBar bar;
    std::vector<int> changes;  // the stored position at each OnChange
};

TEST_F(TrackBarTest, IsCreatedWithItsRangeStepsHintAndNoTickMarks) {
    EXPECT_EQ(Send(bar.Handle(), TBM_GETRANGEMIN), 0);
    EXPECT_EQ(Send(bar.Handle(), TBM_GETRANGEMAX), 100);
    EXPECT_EQ(Send(bar.Handle(), TBM_GETLINESIZE), 1);
    EXPECT_EQ(Send(bar.Handle(), TBM_GETPAGESIZE), 10);
    const auto style = ::GetWindowLongPtrA(bar.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & TBS_NOTICKS);
    EXPECT_FALSE(style & TBS_VERT);
    EXPECT_EQ(bar.Hint(), "Position");
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_TRUE(changes.empty());
}

TEST_F(TrackBarTest, MovingTheThumbLeavesTheStoredPositionAndRaisesNothing) {
    bar.MoveThumb(40);
    EXPECT_EQ(bar.ThumbPosition(), 40);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_TRUE(changes.empty());
}

TEST_F(TrackBarTest, MovingTheThumbBringsItBackFromWhereverTheUserLeftIt) {
    // Playback moves the thumb 50 times a second, mostly onto itself: what counts is where the
    // control's thumb stands now, not where it was last put.
    bar.MoveThumb(40);
    UserPutsThumbAt(20);
    bar.MoveThumb(40);
    EXPECT_EQ(bar.ThumbPosition(), 40);
    bar.MoveThumb(40);
    EXPECT_EQ(bar.ThumbPosition(), 40);
    EXPECT_TRUE(changes.empty());
}

TEST_F(TrackBarTest, AScrollReloadsTheStoredPositionFromTheControlAndRaisesTheChange) {
    UserPutsThumbAt(60);
    bar.Scrolled();
    EXPECT_EQ(bar.Position(), 60);
    EXPECT_EQ(changes, std::vector<int>{60});

    // The end of the same gesture (TB_ENDTRACK) finds nothing new.
    bar.Scrolled();
    EXPECT_EQ(changes, std::vector<int>{60});
}

TEST_F(TrackBarTest, AScrollBackToTheStoredPositionCountsWhenTheThumbHadBeenMovedAway) {
    // Playback moved the thumb on; the user drags it back to the start, where the stored
    // position still is: that is a request to go there.
    bar.MoveThumb(70);
    UserPutsThumbAt(0);
    bar.Scrolled();
    EXPECT_EQ(changes, std::vector<int>{0});
}

TEST_F(TrackBarTest, SettingThePositionClampsItIntoTheRangeAndRaisesTheChangeOnlyWhenItMoved) {
    bar.SetPosition(150);
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_EQ(bar.ThumbPosition(), 100);
    bar.SetPosition(100);
    EXPECT_EQ(changes, std::vector<int>{100});
}

struct MaxCase {
    const char* name;
    int new_max;
    int expected_max;
    int expected_position;
    int expected_thumb;
    std::vector<int> expected_changes;
};

class TrackBarMax : public TrackBarTest, public ::testing::WithParamInterface<MaxCase> {};

TEST_P(TrackBarMax, ANewMaximumClampsTheStoredPositionAndRaisesTheChangeOnlyThen) {
    const MaxCase& c = GetParam();
    // The user's last choice is 50; playback has since moved the thumb to 70.
    bar.SetPosition(50);
    bar.MoveThumb(70);
    changes.clear();

    bar.SetMax(c.new_max);

    EXPECT_EQ(bar.Max(), c.expected_max);
    EXPECT_EQ(Send(bar.Handle(), TBM_GETRANGEMAX), c.expected_max);
    EXPECT_EQ(bar.Position(), c.expected_position);
    EXPECT_EQ(bar.ThumbPosition(), c.expected_thumb);
    EXPECT_EQ(changes, c.expected_changes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackBarMax,
    ::testing::Values(MaxCase{"BelowTheStoredPosition", 30, 30, 30, 30, {30}},
                      MaxCase{"AtTheStoredPosition", 50, 50, 50, 50, {}},
                      MaxCase{"AboveTheStoredPosition", 80, 80, 50, 70, {}},
                      MaxCase{"BelowTheMinimumIsIgnored", -1, 100, 50, 70, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrackBarVertical, HasItsMinimumAtTheTopAndItsOwnSteps) {
    TTrackBar volume;
    volume.Create(test::SuiteParentWindow(), {2, 240, 48, 25, 150, true, 1, 10000, 1, 100, 1000, "Volume"});
    EXPECT_TRUE(::GetWindowLongPtrA(volume.Handle(), GWL_STYLE) & TBS_VERT);
    EXPECT_EQ(Send(volume.Handle(), TBM_GETRANGEMIN), 1);
    EXPECT_EQ(Send(volume.Handle(), TBM_GETRANGEMAX), 10000);
    EXPECT_EQ(Send(volume.Handle(), TBM_GETLINESIZE), 100);
    EXPECT_EQ(Send(volume.Handle(), TBM_GETPAGESIZE), 1000);
    EXPECT_EQ(volume.ThumbPosition(), 1);
    EXPECT_EQ(volume.Hint(), "Volume");
    ::DestroyWindow(volume.Handle());
}

}  // namespace
}  // namespace wallcine::app
