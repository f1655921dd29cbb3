// UnseenWatch: tells the main window when nobody can see the video, and when somebody can again:
// its monitor covered by a maximized or full-screen window, the session locked, the display off,
// or the machine on battery, each as the user's choices say. It follows events (WinEvent hooks
// for windows that appear, move, change state or take the foreground; session and power
// notifications) on a hidden window of its own, looks again a moment after each burst of them,
// and otherwise once a second at most, for systems whose events do not tell everything (Wine).
// GUI thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "core/visibility.h"
#include "win/unique_handle.h"

namespace wallcine::app {

// The user's choices, in HKCU\Software\Wallcine (REG_DWORD 0 or 1), read at start.
struct UnseenChoices {
    bool pause_when_covered = true;  // "PauseWhenCovered"
    bool pause_when_locked = true;   // "PauseWhenLocked": the session locked or the display off
    bool pause_on_battery = false;   // "PauseOnBattery"
    static UnseenChoices Read();
};

class UnseenWatch {
public:
    // `video_monitor` answers the monitor the video is on (null while it is on none);
    // `on_change` hears every change of the answer to "can nobody see it?".
    UnseenWatch(UnseenChoices choices, std::function<HMONITOR()> video_monitor,
                std::function<void(bool unseen)> on_change);
    ~UnseenWatch();
    UnseenWatch(const UnseenWatch&) = delete;
    UnseenWatch& operator=(const UnseenWatch&) = delete;

    bool Unseen() const noexcept { return unseen_; }
    // Looks at the screen and the session now.
    void Evaluate();

    // The windows that lie over the desktop now, as the decision sees them.
    static std::vector<WindowOnScreen> TopLevelWindows();

private:
    static void CALLBACK WinEventArrived(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                                         DWORD thread, DWORD time);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
    void LookSoon();
    bool MonitorHidden() const;

    UnseenChoices choices_;
    std::function<HMONITOR()> video_monitor_;
    std::function<void(bool)> on_change_;
    win::unique_hwnd window_;
    std::vector<HWINEVENTHOOK> hooks_;
    HPOWERNOTIFY display_notification_ = nullptr;
    HPOWERNOTIFY power_source_notification_ = nullptr;
    bool session_locked_ = false;
    bool display_off_ = false;
    bool on_battery_ = false;
    bool unseen_ = false;
    bool look_pending_ = false;
};

}  // namespace wallcine::app
