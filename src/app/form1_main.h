// TForm1: the hidden main window. It is never shown; it owns the media components, the tray icon
// and its menu, the open and save dialogs, and the playback supervision (form1_supervision.cpp).
// Closing it ends the program after the desktop has been restored.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/controls/file_dialogs.h"
#include "app/form_window.h"
#include "app/playback.h"
#include "app/unseen_watch.h"
#include "media/filter_graph.h"
#include "timer/multimedia_timer.h"
#include "video/video_window.h"
#include "win/winmm_api.h"
#include "win/unique_handle.h"

namespace wallcine::app {

class TForm1 : public FormWindow {
public:
    // `first_argument`: the command line's first argument, empty when there is none. `winmm`
    // drives the supervision tick (a fake one in tests).
    explicit TForm1(std::string first_argument, const win::WinmmApi& winmm = win::SystemWinmm());
    ~TForm1() override;

    // True when the creation handler ended the program before anything played (the open dialog
    // was cancelled): the caller ends with exit code 0 at once.
    bool HaltRequested() const noexcept { return halt_requested_; }
    // True when the creation handler failed and reported it: the message loop is not entered.
    bool TerminateRequested() const noexcept { return terminate_requested_; }

    // --- Starting items (GUI thread) --------------------------------------------------------
    // The one sequence that starts an item, and whether a start or the close is under way.
    Playback& ItemPlayback() noexcept { return playback_; }
    // True while an item starts or the program closes: commands that arrive meanwhile (through
    // a message pump inside the sequence) are dropped, and Exit waits until the start has ended.
    bool Busy() const noexcept { return playback_.Busy(); }
    // Plays `path` in place of the current item (the playlist's double-click); on failure the
    // error goes on to the caller, the graph is empty and the tick off.
    void PlayItem(const std::string& path);
    // Refills the active filters window's list.
    void RefreshActiveFilters();
    // Runs once desktop mode has taken the desktop (the application starts its watchdog there).
    std::function<void()> OnDesktopModeEntered;

    // --- Nobody sees the video (GUI thread) ---------------------------------------------------
    // From now on the item pauses while nobody can see the video (its monitor covered, the
    // session locked, the display off, on battery: as `choices` say) and plays on when somebody
    // can. That pause is not the user's: the play/pause button keeps its state.
    void PauseWhileUnseen(const UnseenChoices& choices);
    bool PausedWhileUnseen() const noexcept { return paused_unseen_; }
    UnseenWatch* Unseen() const noexcept { return unseen_watch_.get(); }
    // The user pressed play/pause: the pause for being unseen is theirs to end now.
    void ForgetUnseenPause();

    // --- Handlers ---------------------------------------------------------------------------
    void FormCreate();
    void FormClose();
    void wmnotify(WPARAM wparam, LPARAM lparam);
    void WMPlayNext(WPARAM wparam);
    void Timer1Timer();
    void mmtimer1Timer();  // the supervision tick's work, on the GUI thread
    void LoadFile1Click();
    void Playlist1Click();
    void About1Click();
    void StretchMovie1Click();
    void Filters1Click();
    void Exit1Click();

    bool StretchMovieChecked() const noexcept;
    HMENU TrayMenu() const noexcept { return popup_menu_.get(); }
    bool TrayIconAdded() const noexcept { return tray_icon_added_; }

    // --- Components (declared so that the graph outlives its clients and the tick) ----------
    media::TFilterGraph FilterGraph1;
    std::unique_ptr<video::TDSVideoWindowEx2> Video_Window;
    TMultimediaTimer mmtimer1;
    TOpenDialog OpenDialog1;
    TSaveDialog SaveDialog1;
    NOTIFYICONDATAA TrayIconData{};

protected:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    // Plays what another start handed over, outside that start's WM_COPYDATA.
    static constexpr UINT kWmOpenHandedOver = WM_APP + 2;
    static constexpr UINT_PTR kStartupTimerId = 1;

    void FailStart(const char* message) noexcept;
    void ChooseFirstItem();
    // The item the open dialog's selection names (a selected playlist's first entry).
    std::string ItemOfDialogSelection() const;
    void StartPlaying();
    void AddTrayIcon();
    void RemoveTrayIcon() noexcept;
    void ShowTrayMenu();
    void EndSession();
    void LoopSingleItem();
    // The supervision tick as it reaches the GUI thread: dropped while a start or the close runs;
    // an error switches the tick off before it is reported, so no tick fails inside its own report.
    void SupervisionTickArrived();
    void ApplyNextItemRule();
    // Tries the rows after the current one in turn until one starts; what failed, in order.
    struct RowFailure {
        std::string path;
        std::string message;
    };
    std::vector<RowFailure> StartNextPlayableRow(bool& started);
    void ReportPlayNextFailures(const std::vector<RowFailure>& failures, bool started);
    // The position slider's range from the item's duration (before it plays), then its title
    // and the active filters list (once it plays).
    void ShowRenderedItem();
    void ShowStartedItem();
    // Runs an Exit, or plays an argument handed over, that arrived while an item was starting.
    void RunDeferredCommands();
    // Another start of Wallcine handed over its argument: play it as "Load File" does, or show
    // the playing control when it is empty.
    void OpenHandedOver();
    // "Load File"'s steps once the open dialog's selection is made.
    void PlayDialogSelection();
    // Pauses a supervised, playing item while nobody can see it; plays it on when somebody can.
    void FollowWhetherSeen();

    std::string first_argument_;
    bool halt_requested_ = false;
    bool terminate_requested_ = false;
    bool closed_ = false;
    // An Exit or a close request that arrived while an item was starting.
    bool close_deferred_ = false;
    // An argument another start handed over, waiting to be played.
    std::optional<std::string> handed_over_;
    std::unique_ptr<UnseenWatch> unseen_watch_;
    // The item is paused because nobody can see it (the tick is off meanwhile).
    bool paused_unseen_ = false;
    bool tray_icon_added_ = false;
    UINT taskbar_created_message_ = 0;
    win::unique_hmenu popup_menu_;
    UINT_PTR startup_timer_ = 0;
    // Rows whose failure to play has been reported: a broken row is told of once, not on
    // every round of the playlist.
    std::set<std::string> reported_failures_;
    // Set by the winmm thread when a tick is waiting in the queue, so ticks coalesce.
    std::atomic<bool> tick_pending_{false};
    // The window winmm's thread posts its tick requests to: set once the window exists, cleared
    // when it is destroyed, so that thread never reads the GUI thread's handle owner.
    std::atomic<HWND> tick_target_{nullptr};
    Playback playback_{FilterGraph1, mmtimer1};
};

}  // namespace wallcine::app
