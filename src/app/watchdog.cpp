#include "app/watchdog.h"

#include "core/errors.h"
#include "video/restore_journal.h"
#include "win/desktop_services.h"
#include "win/unique_handle.h"

namespace wallcine::app {

namespace {

// Held by the watchdog of one process: a second one for the same process sees it and ends.
std::string WatchdogMutexName(DWORD watched) {
    return Format("Local\\Wallcine.Watchdog.%lu", static_cast<unsigned long>(watched));
}

}  // namespace

bool StartWatchdog(const std::string& exe_path) {
    static bool started = false;
    if (started) return true;
    std::string command_line =
        Format("\"%s\" %s %lu", exe_path.c_str(), kWatchdogSwitch, static_cast<unsigned long>(::GetCurrentProcessId()));
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION process{};
    // Its own process group and no console: the watchdog must outlive whatever kills us.
    if (!::CreateProcessA(exe_path.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                          CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
        return false;
    win::unique_handle_kernel owned_process(process.hProcess);
    win::unique_handle_kernel owned_thread(process.hThread);
    started = true;
    return true;
}

int RunWatchdog(DWORD watched) {
    win::unique_handle_kernel instance(::CreateMutexA(nullptr, FALSE, WatchdogMutexName(watched).c_str()));
    if (!instance || ::GetLastError() == ERROR_ALREADY_EXISTS) return 0;  // one watches already
    // A process that has ended already (or cannot be opened) is as good as ended: restore now.
    win::unique_handle_kernel process(::OpenProcess(SYNCHRONIZE, FALSE, watched));
    if (process) ::WaitForSingleObject(process.get(), INFINITE);
    video::RestoreAfterCrash(win::DesktopServices());
    return 0;
}

}  // namespace wallcine::app
