#include "app/unseen_watch.h"

#include <dwmapi.h>
#include <wtsapi32.h>

#include <cstring>
#include <string_view>
#include <utility>

#include "win/desktop_services.h"
#include "win/window_binding.h"

namespace wallcine::app {

namespace {

constexpr char kWatchClass[] = "WallcineUnseenWatch";
constexpr char kChoicesKey[] = "Software\\Wallcine";
constexpr UINT_PTR kLookTimer = 1;     // a moment after a burst of events
constexpr UINT_PTR kPollTimer = 2;     // once a second, for what no event tells
constexpr UINT kLookDelayMs = 150;
constexpr UINT kPollIntervalMs = 1000;

// {6FE69556-704A-47A0-8F24-C28D936FDA47} and {5D3E9A59-E9D5-4B00-A6BD-FF34FF516548}.
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kAcDcPowerSource = {0x5d3e9a59, 0xe9d5, 0x4b00, {0xa6, 0xbd, 0xff, 0x34, 0xff, 0x51, 0x65, 0x48}};

// Windows 8's events for a window the compositor hides or shows again (older headers lack them).
constexpr DWORD kEventObjectCloaked = 0x8017;
constexpr DWORD kEventObjectUncloaked = 0x8018;

// One watch at a time: WinEvent callbacks carry no context of their own.
UnseenWatch* active_watch = nullptr;

bool ReadChoice(const char* name, bool default_value) {
    win::RegistryValue value;
    if (win::DesktopServices().QueryRegistryValue(HKEY_CURRENT_USER, kChoicesKey, name, value) != ERROR_SUCCESS ||
        !value.IsDword())
        return default_value;
    return value.AsDword() != 0;
}

bool IsShellWindow(HWND window) {
    if (window == ::GetShellWindow()) return true;
    char class_name[64] = {};
    ::GetClassNameA(window, class_name, sizeof class_name);
    const std::string_view name(class_name);
    return name == "Progman" || name == "WorkerW" || name == "Shell_TrayWnd" || name == "Shell_SecondaryTrayWnd";
}

bool IsCloaked(HWND window) {
    DWORD cloaked = 0;
    // Systems without a compositor (Windows 7, Wine) answer an error: nothing is cloaked there.
    return SUCCEEDED(::DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM collected) {
    if (!::IsWindowVisible(window)) return TRUE;
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    WindowOnScreen seen;
    seen.bounds = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    seen.minimized = ::IsIconic(window) != FALSE;
    seen.maximized = ::IsZoomed(window) != FALSE;
    seen.cloaked = IsCloaked(window);
    seen.tool_window = (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    seen.shell = IsShellWindow(window);
    seen.own = process == ::GetCurrentProcessId();
    reinterpret_cast<std::vector<WindowOnScreen>*>(collected)->push_back(seen);
    return TRUE;
}

}  // namespace

UnseenChoices UnseenChoices::Read() {
    UnseenChoices choices;
    choices.pause_when_covered = ReadChoice("PauseWhenCovered", choices.pause_when_covered);
    choices.pause_when_locked = ReadChoice("PauseWhenLocked", choices.pause_when_locked);
    choices.pause_on_battery = ReadChoice("PauseOnBattery", choices.pause_on_battery);
    return choices;
}

UnseenWatch::UnseenWatch(UnseenChoices choices, std::function<HMONITOR()> video_monitor,
                         std::function<void(bool unseen)> on_change)
    : choices_(choices), video_monitor_(std::move(video_monitor)), on_change_(std::move(on_change)) {
    WNDCLASSEXA window_class{sizeof window_class};
    window_class.lpfnWndProc = &win::BoundWindowProc<UnseenWatch, &UnseenWatch::window_, &UnseenWatch::HandleMessage>;
    window_class.hInstance = ::GetModuleHandleA(nullptr);
    window_class.lpszClassName = kWatchClass;
    win::RegisterWindowClassOnce(window_class);
    // A hidden top-level window, not a message-only one: session and power notifications go to
    // top-level windows.
    ::CreateWindowExA(WS_EX_TOOLWINDOW, kWatchClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                      ::GetModuleHandleA(nullptr), this);
    active_watch = this;

    if (choices_.pause_when_covered) {
        // Out of context: the events of every other process reach this thread's queue.
        const std::pair<DWORD, DWORD> ranges[] = {
            {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
            {EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND},
            {EVENT_OBJECT_DESTROY, EVENT_OBJECT_HIDE},  // destroy, show, hide
            {EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE},
            {kEventObjectCloaked, kEventObjectUncloaked},
        };
        for (const auto& [first, last] : ranges) {
            if (HWINEVENTHOOK hook = ::SetWinEventHook(first, last, nullptr, &WinEventArrived, 0, 0,
                                                       WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS))
                hooks_.push_back(hook);
        }
    }
    if (choices_.pause_when_locked && window_) {
        ::WTSRegisterSessionNotification(window_.get(), NOTIFY_FOR_THIS_SESSION);
        display_notification_ =
            ::RegisterPowerSettingNotification(window_.get(), &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    if (choices_.pause_on_battery && window_) {
        SYSTEM_POWER_STATUS power{};
        on_battery_ = ::GetSystemPowerStatus(&power) && power.ACLineStatus == 0;
        power_source_notification_ =
            ::RegisterPowerSettingNotification(window_.get(), &kAcDcPowerSource, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    if (window_ && choices_.pause_when_covered) ::SetTimer(window_.get(), kPollTimer, kPollIntervalMs, nullptr);
}

UnseenWatch::~UnseenWatch() {
    for (HWINEVENTHOOK hook : hooks_) ::UnhookWinEvent(hook);
    if (display_notification_) ::UnregisterPowerSettingNotification(display_notification_);
    if (power_source_notification_) ::UnregisterPowerSettingNotification(power_source_notification_);
    if (window_ && choices_.pause_when_locked) ::WTSUnRegisterSessionNotification(window_.get());
    if (active_watch == this) active_watch = nullptr;
    win::Unbind(window_.get());
    window_.reset();
}

void CALLBACK UnseenWatch::WinEventArrived(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                                           DWORD) {
    if (!active_watch) return;
    // Only whole top-level windows matter: not the caret, the cursor or a control moving.
    if (object != OBJID_WINDOW || child != CHILDID_SELF || !window) return;
    if (event != EVENT_SYSTEM_FOREGROUND && ::GetAncestor(window, GA_ROOT) != window) return;
    active_watch->LookSoon();
}

void UnseenWatch::LookSoon() {
    // A burst of events (a window being dragged, a maximize animation) gives one look.
    if (look_pending_ || !window_) return;
    look_pending_ = true;
    ::SetTimer(window_.get(), kLookTimer, kLookDelayMs, nullptr);
}

std::vector<WindowOnScreen> UnseenWatch::TopLevelWindows() {
    std::vector<WindowOnScreen> windows;
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool UnseenWatch::MonitorHidden() const {
    const HMONITOR monitor = video_monitor_ ? video_monitor_() : nullptr;
    if (!monitor) return false;
    MONITORINFO info{sizeof info};
    if (!::GetMonitorInfoA(monitor, &info)) return false;
    const Rect bounds{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    return MonitorCovered(bounds, TopLevelWindows());
}

void UnseenWatch::Evaluate() {
    const bool unseen = (choices_.pause_when_locked && (session_locked_ || display_off_)) ||
                        (choices_.pause_on_battery && on_battery_) ||
                        (choices_.pause_when_covered && MonitorHidden());
    if (unseen == unseen_) return;
    unseen_ = unseen;
    if (on_change_) on_change_(unseen_);
}

LRESULT UnseenWatch::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_TIMER:
        if (wparam == kLookTimer) {
            ::KillTimer(window_.get(), kLookTimer);
            look_pending_ = false;
        }
        Evaluate();
        return 0;
    case WM_WTSSESSION_CHANGE:
        if (wparam == WTS_SESSION_LOCK) session_locked_ = true;
        if (wparam == WTS_SESSION_UNLOCK) session_locked_ = false;
        Evaluate();
        return 0;
    case WM_POWERBROADCAST:
        if (wparam == PBT_POWERSETTINGCHANGE && lparam) {
            const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lparam);
            if (setting->DataLength >= sizeof(DWORD)) {
                DWORD state = 0;
                memcpy(&state, setting->Data, sizeof state);
                // The display: 0 off, 1 on, 2 dimmed (still seen). The power source: 0 AC, 1 battery, 2 UPS.
                if (setting->PowerSetting == kConsoleDisplayState) display_off_ = state == 0;
                if (setting->PowerSetting == kAcDcPowerSource) on_battery_ = state != 0;
                Evaluate();
            }
        }
        return TRUE;
    default:
        return ::DefWindowProcA(window_.get(), message, wparam, lparam);
    }
}

}  // namespace wallcine::app
