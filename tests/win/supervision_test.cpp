// The main window's supervision on fakes: the start-up timer, the 20 ms tick (title, thumb,
// texts, end of item), the single-row loop, play-next with its wrap-around, and how play-next
// gets past rows that cannot be played.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/playback_state.h"
#include "core/time_text.h"
#include "fakes/app_rig.h"
#include "fakes/test_windows.h"

namespace wallcine::app {
namespace {

using test::AppRig;
using test::LinesStartingWith;
using test::SeekWhileRunning;
using test::PumpMessages;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

// Three rows (or one), the first playing, supervision running as one second after start.
class SupervisionTest : public ::testing::Test {
protected:
    void Start(std::vector<std::string> rows) {
        rig.first_argument = rows.front();
        rig.CreateForms();
        rig.form3->ListBox1.SetItems(rows);
        rig.form1->Timer1Timer();
        ASSERT_TRUE(rig.form1->mmtimer1.Enabled());
    }
    int Thumb() const {
        return static_cast<int>(::SendMessageA(rig.form2->TrackBar1.Handle(), TBM_GETPOS, 0, 0));
    }
    // The item reaches its end at the next tick.
    void EndTheItem() { rig.graph.position = rig.graph.duration; }

    AppRig rig;
};

TEST_F(SupervisionTest, TheStartupTimerPutsTheVideoOnTheDesktopOnceAndStartsTheTick) {
    rig.CreateForms();
    EXPECT_FALSE(IsPlaying);
    rig.form1->Timer1Timer();
    EXPECT_TRUE(rig.form1->Video_Window->DesktopMode());
    EXPECT_TRUE(IsPlaying);
    EXPECT_TRUE(rig.form1->mmtimer1.Enabled());
    EXPECT_EQ(rig.form1->mmtimer1.Interval(), 20);
    EXPECT_EQ(rig.form1->mmtimer1.Resolution(), 10);
}

TEST_F(SupervisionTest, EachTickShowsPositionAndDurationAndMovesOnlyTheThumb) {
    Start({"C:\\a.avi"});
    rig.graph.position = 3661.5;
    rig.graph.duration = 360000;
    const size_t mark = rig.trace.size();

    rig.Tick();

    EXPECT_EQ(CurPosition, 3661.5);
    EXPECT_EQ(CurDuration, 360000);
    EXPECT_EQ(rig.form2->StatusBar1.PanelText(0), "Position: 01:01:01:500");
    EXPECT_EQ(rig.form2->StatusBar1.PanelText(1), "Duration: 100:00:00:000");
    rig.form2->TrackBar1.SetMax(4000000);
    rig.Tick();
    EXPECT_EQ(Thumb(), 36615);
    EXPECT_EQ(rig.form2->TrackBar1.Position(), 0) << "the stored position is the user's alone";
    EXPECT_TRUE(LinesStartingWith(rig.TraceFrom(mark), "position.put_CurrentPosition").empty()) << "progress never seeks";
}

TEST_F(SupervisionTest, TheTitleScrollsOneCharacterEverySixteenthTick) {
    Start({"C:\\a.avi"});
    rig.graph.duration = 10;
    rig.form2->movielbl.SetCaption("abc");
    for (int tick = 1; tick < 16; ++tick) rig.Tick();
    EXPECT_EQ(rig.form2->movielbl.Caption(), "abc");
    rig.Tick();
    EXPECT_EQ(rig.form2->movielbl.Caption(), "bca");
}

TEST_F(SupervisionTest, ASingleRowLoopsItsItemWithoutPlayNext) {
    Start({"C:\\only.avi"});
    VolumeLevel = 7500;
    rig.graph.position = 1.0004;
    rig.graph.duration = 1.0009;  // the same whole milliseconds: ended
    const size_t mark = rig.trace.size();

    rig.Tick();

    EXPECT_EQ(rig.TraceFrom(mark), (std::vector<std::string>{"control.Stop", "position.put_CurrentPosition 0",
                                                            "control.Run", "audio.put_Volume -2500"}));
    EXPECT_EQ(Thumb(), 0);
    EXPECT_TRUE(rig.form1->mmtimer1.Enabled());
    EXPECT_EQ(PlayNextPending, 0);
}

TEST_F(SupervisionTest, TheEndOfAnItemPlaysTheNextRowAndWrapsRoundAfterTheLast) {
    Start({"C:\\a.avi", "C:\\b.avi", "C:\\c.avi"});
    rig.graph.duration = 1.0;
    const std::string expected_order[] = {"C:\\b.avi", "C:\\c.avi", "C:\\a.avi"};
    for (const std::string& next : expected_order) {
        SCOPED_TRACE(next);
        EndTheItem();
        const size_t mark = rig.trace.size();
        rig.Tick();  // the tick posts play-next, which the pump then runs

        const auto trace = rig.TraceFrom(mark);
        ASSERT_GE(trace.size(), 2u);
        EXPECT_EQ(trace[0], "control.Stop");
        EXPECT_EQ(trace[1], "position.put_CurrentPosition 1") << "the old item is seeked to its end once stopped";
        EXPECT_THAT(trace, Contains("graph.RenderFile " + next));
        EXPECT_EQ(LinesStartingWith(trace, "position.").back(), "position.put_CurrentPosition 0")
            << "the new item starts from its beginning";
        EXPECT_EQ(SeekWhileRunning(trace), "");
        EXPECT_EQ(CurrentFile, next);
        EXPECT_EQ(rig.form3->ListBox1.ItemIndex(), rig.form3->ListBox1.IndexOfIgnoringCase(next));
        EXPECT_EQ(rig.form2->movielbl.Caption(), TitleText(next));
        EXPECT_EQ(rig.form2->TrackBar1.Max(), 10);
        EXPECT_EQ(PlayNextPending, 0);
        EXPECT_TRUE(rig.form1->mmtimer1.Enabled());
    }
}

TEST_F(SupervisionTest, APlayNextRequestCarryingOneIsIgnored) {
    Start({"C:\\a.avi", "C:\\b.avi"});
    const size_t mark = rig.trace.size();
    ::SendMessageA(rig.form1->Handle(), kWmPlayNext, 1, 0);
    EXPECT_TRUE(rig.TraceFrom(mark).empty());
    EXPECT_EQ(CurrentFile, "C:\\a.avi");
}

// A row that cannot be played is skipped for the following one and reported once; a list whose
// rows all fail stops after one round instead of spinning.
TEST_F(SupervisionTest, PlayNextSkipsARowThatCannotBePlayedAndReportsItOnce) {
    Start({"C:\\a.avi", "C:\\broken.avi", "C:\\c.avi"});
    rig.graph.duration = 1.0;
    rig.graph.on_render = [this](test::FakeFilterGraph& graph, const std::wstring& file) {
        graph.render_result = file == L"C:\\broken.avi" ? HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) : S_OK;
    };

    EndTheItem();
    rig.Tick();
    EXPECT_EQ(CurrentFile, "C:\\c.avi");
    EXPECT_EQ(rig.form3->ListBox1.ItemIndex(), 2);
    EXPECT_TRUE(rig.form1->mmtimer1.Enabled());
    const auto reports = LinesStartingWith(rig.desktop.calls, "MessageBoxA");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].ends_with("($80070002).] [Wallcine] 16")) << reports[0];

    // Round again: a -> broken (skipped, not reported twice) -> c.
    EndTheItem();
    rig.Tick();
    EXPECT_EQ(CurrentFile, "C:\\a.avi");
    EndTheItem();
    rig.Tick();
    EXPECT_EQ(CurrentFile, "C:\\c.avi");
    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "MessageBoxA").size(), 1u);
}

TEST_F(SupervisionTest, WhenNoRowCanBePlayedPlaybackStopsAfterOneRound) {
    Start({"C:\\a.avi", "C:\\b.avi", "C:\\c.avi"});
    rig.graph.duration = 1.0;
    rig.graph.render_result = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    EndTheItem();
    const size_t mark = rig.trace.size();

    rig.Tick();

    EXPECT_EQ(LinesStartingWith(rig.TraceFrom(mark), "graph.RenderFile").size(), 3u) << "each row tried once";
    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "MessageBoxA").size(), 1u);
    EXPECT_FALSE(rig.form1->mmtimer1.Enabled());
    EXPECT_EQ(PlayNextPending, 0) << "a later play-next is not blocked for ever";
    EXPECT_FALSE(MediaPosition);
}

TEST_F(SupervisionTest, AGraphWithoutAPositionInterfaceFailsPlayNextWithoutATickOnANullInterface) {
    Start({"C:\\a.avi", "C:\\b.avi"});
    rig.graph.duration = 1.0;
    EndTheItem();
    rig.graph.has_media_position = false;

    rig.Tick();

    const auto reports = LinesStartingWith(rig.desktop.calls, "MessageBoxA");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0], testing::HasSubstr("Interface not supported]"));
    EXPECT_FALSE(rig.form1->mmtimer1.Enabled());
    EXPECT_FALSE(MediaPosition);
}

TEST_F(SupervisionTest, EveryRoundWithoutAPlayableRowSaysThatPlaybackStopped) {
    Start({"C:\\a.avi", "C:\\b.avi"});
    rig.graph.duration = 1.0;
    rig.graph.render_result = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    EndTheItem();
    rig.Tick();
    ASSERT_EQ(LinesStartingWith(rig.desktop.calls, "MessageBoxA").size(), 1u);

    // The rows have all been reported once; a later round that finds none playable still says so.
    ::SendMessageA(rig.form1->Handle(), kWmPlayNext, 0, 0);
    const auto reports = LinesStartingWith(rig.desktop.calls, "MessageBoxA");
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_THAT(reports[1], testing::HasSubstr("playback has stopped"));
    EXPECT_EQ(PlayNextPending, 0);
}

// A Run that fails is a row that cannot be played: it is skipped, and the play-next token is back
// at 0, so the end of the next item is followed by play-next again.
TEST_F(SupervisionTest, ARunThatFailsDuringPlayNextSkipsTheRowAndLeavesPlayNextWorking) {
    Start({"C:\\a.avi", "C:\\b.avi", "C:\\c.avi"});
    rig.graph.duration = 1.0;
    rig.graph.on_render = [](test::FakeFilterGraph& graph, const std::wstring& file) {
        graph.run_result = file == L"C:\\b.avi" ? E_FAIL : S_OK;
    };

    EndTheItem();
    rig.Tick();
    EXPECT_EQ(CurrentFile, "C:\\c.avi");
    EXPECT_EQ(PlayNextPending, 0);
    EXPECT_TRUE(rig.form1->mmtimer1.Enabled());
    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "MessageBoxA").size(), 1u);

    EndTheItem();
    rig.Tick();
    EXPECT_EQ(CurrentFile, "C:\\a.avi") << "the next end of item plays the next row";
}

// The tick comes from winmm's thread as a request to the GUI thread; requests made while one
// waits in the queue are one request.
TEST_F(SupervisionTest, TicksFromWinmmsThreadReachTheGuiThreadAsOneWaitingRequest) {
    Start({"C:\\a.avi"});
    const std::uint32_t ticks_before = TickCounter;
    rig.winmm.Tick(rig.form1->mmtimer1.TimerID(), 25);

    MSG waiting;
    int requests = 0;
    while (::PeekMessageA(&waiting, rig.form1->Handle(), WM_APP + 1, WM_APP + 1, PM_REMOVE)) {
        ++requests;
        ::DispatchMessageA(&waiting);
    }
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(TickCounter, ticks_before + 1);

    rig.winmm.Tick(rig.form1->mmtimer1.TimerID(), 1);
    PumpMessages();
    EXPECT_EQ(TickCounter, ticks_before + 2) << "a handled request lets the next tick ask again";
}

// A tick that fails is reported with the tick already off: the report's message box runs a loop
// of its own, where a tick still on would fail again inside it, box within box.
TEST_F(SupervisionTest, AFailingTickIsReportedOnceWithTheTickOff) {
    Start({"C:\\a.avi"});
    rig.graph.stop_result = E_FAIL;  // the single-row loop's Stop fails
    int depth = 0;
    int deepest = 0;
    bool tick_on_during_report = false;
    rig.desktop.on_message_box = [&](const std::string&) {
        ++depth;
        deepest = std::max(deepest, depth);
        tick_on_during_report = tick_on_during_report || rig.form1->mmtimer1.Enabled();
        // The box's own loop, for a while (and never deeper than a few boxes).
        if (depth < 4) {
            const DWORD start = ::GetTickCount();
            while (::GetTickCount() - start < 200) {
                PumpMessages();
                ::Sleep(5);
            }
        }
        --depth;
    };
    rig.winmm.StartTicking(rig.form1->mmtimer1.TimerID(), 5);
    EndTheItem();

    const DWORD start = ::GetTickCount();
    while (LinesStartingWith(rig.desktop.calls, "MessageBoxA").empty() && ::GetTickCount() - start < 5000) {
        PumpMessages();
        ::Sleep(5);
    }
    EXPECT_EQ(LinesStartingWith(rig.desktop.calls, "MessageBoxA").size(), 1u);
    EXPECT_EQ(deepest, 1);
    EXPECT_FALSE(tick_on_during_report);
    EXPECT_FALSE(rig.form1->mmtimer1.Enabled());
    rig.graph.stop_result = S_OK;
}

// The list control matches rows without regard to case, the code page's own letters included;
// play-next finds the playing row the same way.
TEST_F(SupervisionTest, PlayNextFindsThePlayingRowWhateverTheCaseOfItsAccentedLetters) {
    if (::GetACP() != 1252) GTEST_SKIP() << "the rows are written in code page 1252";
    Start({"C:\\caf\xE9\\a.avi", "C:\\b.avi", "C:\\c.avi"});
    CurrentFile = "C:\\CAF\xC9\\A.AVI";
    rig.form3->FormShow();
    EXPECT_EQ(rig.form3->ListBox1.ItemIndex(), 0);
    rig.graph.duration = 1.0;
    EndTheItem();
    rig.Tick();
    EXPECT_EQ(CurrentFile, "C:\\b.avi") << "the row after the playing one, not the first row";
}

// Each change of item replaces the graph: what the old one held (the graph object, the source,
// the renderer's pins) is let go at that point, so references do not grow with every item.
TEST_F(SupervisionTest, EachChangeOfItemLetsTheOldGraphGo) {
    Start({"C:\\a.avi", "C:\\b.avi", "C:\\c.avi"});
    rig.graph.duration = 1.0;
    const auto counts = [this] {
        return std::vector<LONG>{rig.graph.RefCount(), rig.source.RefCount(), rig.source_video.RefCount(),
                                 rig.renderer.RefCount(), rig.renderer.input.RefCount()};
    };
    EndTheItem();
    rig.Tick();
    const std::vector<LONG> after_first_change = counts();
    for (int change = 0; change < 6; ++change) {
        EndTheItem();
        rig.Tick();
        ASSERT_EQ(counts(), after_first_change) << "after change " << change + 2;
    }
}

}  // namespace
}  // namespace wallcine::app
