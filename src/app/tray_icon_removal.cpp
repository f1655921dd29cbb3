#include "app/tray_icon_removal.h"

#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "win/desktop_services.h"
#include "win/unique_handle.h"

namespace wallcine::app {

namespace {

// Shared by the caller and the thread that asks: whichever of the two ends last frees it.
struct Removal {
    Removal(const NOTIFYICONDATAA& record, win::IDesktopServices& to) : icon(record), services(to) {}

    NOTIFYICONDATAA icon;
    win::IDesktopServices& services;
    win::unique_handle_kernel asking{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    win::unique_handle_kernel answered{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace

bool RemoveTrayIconPromptly(const NOTIFYICONDATAA& icon, DWORD answer_wait_ms) noexcept {
    win::IDesktopServices& services = win::DesktopServices();
    try {
        auto removal = std::make_shared<Removal>(icon, services);
        if (removal->asking && removal->answered) {
            std::thread([removal] {
                ::SetEvent(removal->asking.get());
                removal->services.Shell_NotifyIconA(NIM_DELETE, &removal->icon);
                ::SetEvent(removal->answered.get());
            }).detach();
            // The time for the answer counts from the request, not from when the system got
            // round to starting the thread.
            ::WaitForSingleObject(removal->asking.get(), INFINITE);
            return ::WaitForSingleObject(removal->answered.get(), answer_wait_ms) == WAIT_OBJECT_0;
        }
    } catch (const std::bad_alloc&) {
        // No memory for the shared record: asked on this thread below.
    } catch (const std::system_error&) {
        // No thread could be started: asked on this thread below.
    }
    NOTIFYICONDATAA record = icon;
    services.Shell_NotifyIconA(NIM_DELETE, &record);
    return true;
}

}  // namespace wallcine::app
