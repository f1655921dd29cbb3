// Where desktop mode puts the video when no overlay shows it, found in fake shell window trees:
// the layouts of Windows 7, 10 and 11 24H2, a shell that builds its WorkerW only when asked, a
// shell that does not answer, and no shell at all.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_shell_windows.h"
#include "video/wallpaper_host.h"

namespace wallcine::video {
namespace {

using test::FakeShellWindows;
using Kind = WallpaperHost::Kind;

// The handles a layout's expectations refer to.
struct Layout {
    HWND progman = nullptr;
    HWND icon_view = nullptr;
    HWND layer = nullptr;  // the WorkerW the video belongs in, where there is one
};

// An application's window above the desktop, in every layout: it must never be chosen.
void AddApplicationWindows(FakeShellWindows& shell) {
    shell.Add("Notepad");
    shell.Add("WorkerW");  // an unrelated WorkerW above the desktop (the shell makes several)
}

// Windows 10 after the spawn message: the icon view lives in a top-level WorkerW, an empty
// WorkerW follows it, Progman is at the bottom.
Layout Windows10(FakeShellWindows& shell) {
    AddApplicationWindows(shell);
    Layout layout;
    const HWND icon_holder = shell.Add("WorkerW");
    layout.icon_view = shell.Add("SHELLDLL_DefView", icon_holder);
    layout.layer = shell.Add("WorkerW");
    layout.progman = shell.Add("Progman");
    return layout;
}

// Windows 7 and a Windows 10 shell that does not answer: Progman holds the icon view.
Layout ProgmanHoldsTheIcons(FakeShellWindows& shell) {
    AddApplicationWindows(shell);
    Layout layout;
    layout.progman = shell.Add("Progman");
    layout.icon_view = shell.Add("SHELLDLL_DefView", layout.progman);
    return layout;
}

// A shell that splits its windows only when it gets the message: before it, the icon view is a
// child of Progman; the message moves it into a new WorkerW and adds the empty one behind.
Layout Windows10BuiltOnRequest(FakeShellWindows& shell) {
    Layout layout = ProgmanHoldsTheIcons(shell);
    layout.layer = reinterpret_cast<HWND>(0x9990);  // the handle the shell will give it
    shell.on_message = [&shell, layout](HWND window, UINT message) {
        if (window != layout.progman || message != kProgmanSpawnWorker) return true;
        if (shell.FindWindowExA(layout.progman, nullptr, "SHELLDLL_DefView")) {
            const HWND icon_holder = shell.Add("WorkerW", nullptr, layout.progman);
            shell.Reparent(layout.icon_view, icon_holder);
            shell.Add("WorkerW", nullptr, layout.progman, layout.layer);
        }
        return true;
    };
    return layout;
}

// Windows 11 24H2: the icon view and a WorkerW are children of Progman; no top-level WorkerW
// follows the icon view's holder.
Layout Windows11_24H2(FakeShellWindows& shell) {
    const Layout layout = ProgmanHoldsTheIcons(shell);
    shell.Add("WorkerW", layout.progman);
    return layout;
}

Layout NoShell(FakeShellWindows& shell) {
    AddApplicationWindows(shell);
    return {};
}

// Progman without any icon view: a shell we do not know.
Layout ProgmanWithoutIcons(FakeShellWindows& shell) {
    AddApplicationWindows(shell);
    Layout layout;
    layout.progman = shell.Add("Progman");
    return layout;
}

enum class Expect { kTheWorkerBehindTheIcons, kProgmanBelowTheIcons, kProgmanOnTop, kOwnWindow };

struct Case {
    const char* name;
    std::function<Layout(FakeShellWindows&)> build;
    bool windows8_or_later;
    bool shell_answers;
    Expect expect;
    std::vector<std::string> messages;
};

const std::string kSpawn = "0x52C 0xD 0x1";

class WallpaperHostTest : public ::testing::TestWithParam<Case> {};

TEST_P(WallpaperHostTest, FindsTheLayerOfTheLayout) {
    const Case& c = GetParam();
    FakeShellWindows shell;
    win::ScopedShellWindows use_fake(shell);
    const Layout layout = c.build(shell);
    if (!c.shell_answers) shell.on_message = [](HWND, UINT) { return false; };

    const WallpaperHost host = FindWallpaperHost(c.windows8_or_later);

    switch (c.expect) {
    case Expect::kTheWorkerBehindTheIcons:
        EXPECT_EQ(host.kind, Kind::kBehindIcons);
        ASSERT_NE(layout.layer, nullptr);
        EXPECT_EQ(host.parent, layout.layer);
        EXPECT_EQ(host.below, nullptr);
        break;
    case Expect::kProgmanBelowTheIcons:
        EXPECT_EQ(host.kind, Kind::kInsideShell);
        EXPECT_EQ(host.parent, layout.progman);
        EXPECT_EQ(host.below, layout.icon_view);
        break;
    case Expect::kProgmanOnTop:
        EXPECT_EQ(host.kind, Kind::kInsideShell);
        EXPECT_EQ(host.parent, layout.progman);
        EXPECT_EQ(host.below, nullptr);
        break;
    case Expect::kOwnWindow:
        EXPECT_EQ(host.kind, Kind::kOwnWindow);
        EXPECT_EQ(host.parent, nullptr);
        break;
    }
    EXPECT_EQ(shell.sent, c.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WallpaperHostTest,
    ::testing::Values(
        Case{"Windows10", Windows10, true, true, Expect::kTheWorkerBehindTheIcons, {kSpawn}},
        Case{"WorkerWBuiltOnlyAfterTheMessage", Windows10BuiltOnRequest, true, true, Expect::kTheWorkerBehindTheIcons,
             {kSpawn}},
        Case{"Windows11_24H2", Windows11_24H2, true, true, Expect::kProgmanBelowTheIcons, {kSpawn}},
        Case{"ShellThatDoesNotAnswer", ProgmanHoldsTheIcons, true, false, Expect::kProgmanBelowTheIcons, {kSpawn}},
        Case{"Windows7", ProgmanHoldsTheIcons, false, true, Expect::kProgmanBelowTheIcons, {}},
        // The icons moved out of Progman into a WorkerW above it: Progman is still behind them.
        Case{"Windows7WithTheIconsInAWorker", Windows10, false, true, Expect::kProgmanOnTop, {}},
        Case{"NoProgman", NoShell, true, true, Expect::kOwnWindow, {}},
        Case{"ProgmanWithoutIcons", ProgmanWithoutIcons, true, true, Expect::kOwnWindow, {kSpawn}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowsVersion, Windows8IsVersion6Point2) {
    EXPECT_FALSE(IsWindows8OrLater(0x1DB10106));  // 6.1 build 7601
    EXPECT_TRUE(IsWindows8OrLater(0x23F00206));   // 6.2 build 9200
    EXPECT_TRUE(IsWindows8OrLater(0x4A61000A));   // 10.0 build 19041
    EXPECT_FALSE(IsWindows8OrLater(0x00000005));  // 5.0
}

}  // namespace
}  // namespace wallcine::video
