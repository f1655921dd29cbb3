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
#include "core/time_text.h"
#include "win/show_exception.h"

namespace wallcine::app {

void TForm1::Timer1Timer() {
    if (startup_timer_) ::KillTimer(Handle(), std::exchange(startup_timer_, 0));
    Video_Window->EnterDesktopMode();
    IsPlaying = true;
    mmtimer1.SetEnabled(true);
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
    const NextItem next = FindNextItem(rows, CurrentFile);
    Form3->ListBox1.SetItemIndex(next.matchedIndex);
    Form3->ListBox1.SetItemIndex(next.nextIndex);
    CurrentFile = rows[static_cast<size_t>(next.nextIndex)];
}

void TForm1::WMPlayNext(WPARAM wparam) {
    if (wparam != 0) return;
    mmtimer1.SetEnabled(false);
    StopOutgoingItem();

    // A row that cannot be played is skipped for the one after it; after one round of the
    // playlist without a playable row, playback stops instead of spinning through it again.
    const int attempts = std::max(Form3->ListBox1.Count(), 1);
    std::string failed_path;
    std::string failure;
    bool rendered = false;
    for (int attempt = 0; attempt < attempts && !rendered; ++attempt) {
        try {
            StartFreshGraph();
            ApplyNextItemRule();
            RenderCurrentFile();
            rendered = true;
        } catch (const std::exception& error) {
            if (failure.empty()) {
                failed_path = CurrentFile;
                failure = error.what();
            }
        }
    }

    if (rendered) {
        StartFromTheBeginning();
        FilterGraph1.Play();
        FilterGraph1.SetVolume(VolumeLevel);
        Form2->movielbl.SetCaption(TitleText(CurrentFile));
        RefreshActiveFilters();
        mmtimer1.SetEnabled(true);
    } else {
        FilterGraph1.ResetGraph();
    }
    PlayNextPending = 0;
    if (!failure.empty()) ReportPlayNextFailure(failed_path, failure);
}

void TForm1::ReportPlayNextFailure(const std::string& path, const std::string& message) {
    if (!reported_failures_.insert(path).second) return;
    win::ShowException(message.c_str());
}

}  // namespace wallcine::app
