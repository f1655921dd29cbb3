// The main window's playback supervision: the start-up timer that puts the video on the desktop,
// the 20 ms tick that follows the item and detects its end, and play-next. All of it runs on the
// GUI thread: winmm's thread only posts a tick request (see the constructor), so the graph, the
// controls and the playback state have one thread and need no lock.
#include <algorithm>
#include <exception>
#include <utility>
#include <string>
#include <vector>

#include "app/form1_main.h"
#include "app/application.h"
#include "app/control_ids.h"
#include "app/form2_playing_control.h"
#include "app/form3_playlist.h"
#include "app/playback_state.h"
#include "core/playlist_model.h"
#include "core/errors.h"
#include "core/time_text.h"
#include "win/code_page.h"
#include "win/show_exception.h"

namespace wallcine::app {

void TForm1::Timer1Timer() {
    // Not inside a start or the close: the timer stays armed and fires again a second later.
    if (Busy()) return;
    if (startup_timer_) ::KillTimer(Handle(), std::exchange(startup_timer_, 0));
    Video_Window->EnterDesktopMode();
    IsPlaying = true;
    mmtimer1.SetEnabled(true);
    if (OnDesktopModeEntered) OnDesktopModeEntered();
}

void TForm1::SupervisionTickArrived() {
    tick_pending_ = false;
    // A tick requested before the timer was switched off is dropped, and so is one that arrives
    // through a message pump while an item starts or the program closes.
    if (!mmtimer1.Enabled() || Busy()) return;
    try {
        mmtimer1Timer();
    } catch (...) {
        // The report's message box runs a loop of its own: with the tick still on, the next tick
        // would fail inside it, and the next inside that one.
        mmtimer1.SetEnabled(false);
        throw;
    }
}

void TForm1::mmtimer1Timer() {
    // Without a position interface (a failed load) there is nothing to follow.
    if (!MediaPosition) return;

    ++TickCounter;
    if (TickCounter % 16 == 0) Form2->movielbl.SetCaption(RotateLeft(Form2->movielbl.Caption()));

    ReadPosition();
    ReadDuration();
    // The thumb only: the slider's change event would seek the item to where it already is.
    Form2->TrackBar1.MoveThumb(ToSliderTenths(CurPosition));
    Form2->ShowPositionAndDuration();

    if (!ItemHasEnded(CurPosition, CurDuration)) return;
    if (Form3->ListBox1.Count() >= 2) {
        // One end of an item, one request: the tick stays off until play-next has run.
        mmtimer1.SetEnabled(false);
        ::PostMessageA(Handle(), kWmPlayNext, static_cast<WPARAM>(PlayNextPending), 0);
        PlayNextPending = 1;
    } else {
        LoopSingleItem();
    }
}

void TForm1::LoopSingleItem() {
    FilterGraph1.Stop();
    SeekTo(0);
    Form2->TrackBar1.MoveThumb(0);
    FilterGraph1.Play();
    FilterGraph1.SetVolume(VolumeLevel);
}

void TForm1::ApplyNextItemRule() {
    const std::vector<std::string> rows = Form3->ListBox1.Items();
    // The selection is the row last started (this rule selects it), unless the user moved it.
    const NextItem next =
        FindNextItem(rows, CurrentFile, win::EqualsIgnoringCaseInCodePage, Form3->ListBox1.ItemIndex());
    Form3->ListBox1.SetItemIndex(next.matchedIndex);
    Form3->ListBox1.SetItemIndex(next.nextIndex);
    CurrentFile = rows[static_cast<size_t>(next.nextIndex)];
}

void TForm1::WMPlayNext(WPARAM wparam) {
    // A request that arrives while an item starts is out of date (that start replaces the item),
    // and one that arrives while the program closes would start an item inside the close.
    if (wparam != 0 || Busy()) return;
    bool started = false;
    const std::vector<RowFailure> failures = StartNextPlayableRow(started);
    // Reported once the start is over (tick and play-next token put right): the box's own
    // message loop then runs into a consistent program.
    ReportPlayNextFailures(failures, started);
}

std::vector<TForm1::RowFailure> TForm1::StartNextPlayableRow(bool& started) {
    std::vector<RowFailure> failures;
    Playback::StartScope start(playback_);
    // A row that cannot be played is skipped for the one after it; after one round of the
    // playlist without a playable row, playback stops instead of spinning through it again.
    const int attempts = std::max(Form3->ListBox1.Count(), 1);
    for (int attempt = 0; attempt < attempts && !start.Started(); ++attempt) {
        try {
            ApplyNextItemRule();
            start.Load(CurrentFile);
        } catch (const std::exception& error) {
            failures.push_back({CurrentFile, error.what()});
            if (Form3->ListBox1.Count() == 0) break;  // no row at all: nothing else to try
        }
    }
    started = start.Started();
    return failures;
}

void TForm1::ReportPlayNextFailures(const std::vector<RowFailure>& failures, bool started) {
    if (failures.empty()) return;
    if (!started) {
        // Playback stops here: that is always said, however often these rows were reported.
        win::ShowException(Format("None of the playlist's items can be played, so playback has stopped.\n\n%s",
                                  failures.back().message.c_str())
                               .c_str());
        return;
    }
    // A broken row is told of once, not on every round of the playlist.
    std::string message;
    for (const RowFailure& failure : failures) {
        if (!reported_failures_.insert(failure.path).second) continue;
        if (!message.empty()) message += "\n\n";
        message += failure.message;
    }
    if (!message.empty()) win::ShowException(message.c_str());
}

}  // namespace wallcine::app
