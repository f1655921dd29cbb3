// Removing the tray icon from a shell that is slow to answer: the caller goes on, and the request
// the shell handles later still carries the icon's record. (A shell that answers at once is the
// main window's close, tested with the window.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tray_icon_removal.h"
#include "fakes/desktop_services_recorder.h"
#include "win/desktop_services.h"
#include "win/scope_exit.h"
#include "win/unique_handle.h"

namespace wallcine::app {
namespace {

win::unique_handle_kernel NewEvent() { return win::unique_handle_kernel(::CreateEventA(nullptr, TRUE, FALSE, nullptr)); }

// Holds each tray request until the test lets it answer, as Wine's tray does while it waits for
// an X window manager; records the request as it answers.
class SlowShell : public test::DesktopServicesRecorder {
public:
    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override {
        ::SetEvent(asked.get());
        ::WaitForSingleObject(may_answer.get(), INFINITE);
        const BOOL result = DesktopServicesRecorder::Shell_NotifyIconA(message, data);
        ::SetEvent(answered.get());
        return result;
    }

    win::unique_handle_kernel asked = NewEvent();
    win::unique_handle_kernel may_answer = NewEvent();
    win::unique_handle_kernel answered = NewEvent();
};

TEST(TrayIconRemovalTest, AShellThatDoesNotAnswerLetsTheCallerGoOnAndStillGetsTheRecord) {
    SlowShell shell;
    win::ScopedDesktopServices use_shell{shell};
    // However the test ends, the shell has answered before it goes.
    const win::scope_exit answer_before_leaving([&shell] {
        ::SetEvent(shell.may_answer.get());
        ::WaitForSingleObject(shell.answered.get(), 10000);
    });
    {
        NOTIFYICONDATAA icon{};
        icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
        icon.hWnd = reinterpret_cast<HWND>(0x1234);
        icon.uID = 600;
        EXPECT_FALSE(RemoveTrayIconPromptly(icon, 0)) << "returned before the shell answered";
        // The caller's record is gone before the shell reads it.
        icon = {};
    }
    ASSERT_EQ(::WaitForSingleObject(shell.asked.get(), 10000), WAIT_OBJECT_0) << "the request reaches the shell";
    EXPECT_TRUE(shell.calls.empty());

    ::SetEvent(shell.may_answer.get());
    ASSERT_EQ(::WaitForSingleObject(shell.answered.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"Shell_NotifyIconA 2"});  // NIM_DELETE
    ASSERT_EQ(shell.notify_icon_records.size(), 1u);
    EXPECT_EQ(shell.notify_icon_records[0].hWnd, reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(shell.notify_icon_records[0].uID, 600u);
}

}  // namespace
}  // namespace wallcine::app
