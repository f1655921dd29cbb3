// Desktop mode without an overlay (the Overlay Mixer is not there, as under Wine): the renderer's
// own window goes onto a wallpaper layer over the monitor, with the aspect-ratio mode applied,
// follows display changes and shell restarts, and comes back exactly as it was on leaving.
#include <gtest/gtest.h>

#include <string>

#include "core/errors.h"
#include "fakes/desktop_services_recorder.h"
#include "fakes/fake_overlay.h"
#include "fakes/fake_shell_windows.h"
#include "fakes/test_windows.h"
#include "video/wallpaper_layer.h"
#include "win/desktop_services.h"
#include "win/shell_windows.h"
#include "win/unique_handle.h"

namespace wallcine::video {
namespace {

using test::PumpMessages;

constexpr RECT kMonitor{0, 0, 1280, 1024};
const auto kMonitorHandle = reinterpret_cast<HMONITOR>(1);

std::string Text(const RECT& rect) {
    return Format("%ld,%ld,%ld,%ld", static_cast<long>(rect.left), static_cast<long>(rect.top),
                  static_cast<long>(rect.right), static_cast<long>(rect.bottom));
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

// Whether the window is the lowest visible top-level window.
bool LowestVisible(HWND window) {
    for (HWND below = ::GetWindow(window, GW_HWNDNEXT); below; below = ::GetWindow(below, GW_HWNDNEXT))
        if (::IsWindowVisible(below)) return false;
    return true;
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

// What the component set on the renderer's window.
struct RendererWindowState {
    OAHWND owner;
    long style, style_ex;
    std::string position;
    long auto_show, visible;
    friend bool operator==(const RendererWindowState&, const RendererWindowState&) = default;
};

RendererWindowState StateOf(const test::VideoWindowRecorder& renderer) {
    return {renderer.owner, renderer.style, renderer.style_ex, Text(renderer.position), renderer.auto_show,
            renderer.visible};
}

class WallpaperLayerTest : public ::testing::Test, protected test::OverlayRig {
protected:
    WallpaperLayerTest() {
        factory.Refuse(CLSID_OverlayMixer, REGDB_E_CLASSNOTREG);
        services.monitor_bounds = {kMonitor};
    }
    void TearDown() override {
        ReleaseAll();
        ExpectEveryReferenceBack();
    }

    // Renders a clip straight into our renderer; without a mixer the overlay set-up fails.
    void RenderClip() {
        ASSERT_EQ(RenderFileDirect(L"clip.avi"), S_OK);
        ASSERT_FALSE(window->OverlayActive());
        // The renderer shows its window when the graph runs.
        renderer.visible = OATRUE;
    }
    HWND Layer() const { return window->WallpaperLayerHandle(); }
    // The picture's place as SetWindowPosition got it, as left,top,right,bottom.
    std::string RendererRect() const {
        const RECT& p = renderer.position;
        return Text({p.left, p.top, p.left + p.right, p.top + p.bottom});
    }

    test::DesktopServicesRecorder services;
    win::ScopedDesktopServices use_services{services};
    test::FakeShellWindows shell;  // empty: no Progman, as under Wine
    win::ScopedShellWindows use_shell{shell};
};

// A stand-in for the shell's Progman with its icon view: real windows, so that the layer can be
// created inside them.
struct RealShellWindows {
    explicit RealShellWindows(test::FakeShellWindows& shell)
        : progman(::CreateWindowExA(0, "STATIC", "Program Manager", WS_POPUP, kMonitor.left, kMonitor.top,
                                    kMonitor.right, kMonitor.bottom, nullptr, nullptr, nullptr, nullptr)),
          icon_view(::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, kMonitor.right, kMonitor.bottom,
                                      progman_handle(), nullptr, nullptr, nullptr)) {
        shell.Add("Progman", nullptr, nullptr, progman.get());
        shell.Add("SHELLDLL_DefView", progman.get(), nullptr, icon_view);
    }
    HWND progman_handle() const { return progman.get(); }
    win::unique_hwnd progman;
    HWND icon_view;  // destroyed with Progman
};

TEST_F(WallpaperLayerTest, WithoutAShellLayerOurOwnWindowCoversTheMonitorAtTheBottomAndShowsThePicture) {
    RenderClip();
    window->EnterDesktopModeOn(kMonitorHandle);

    const HWND layer = Layer();
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(ClassOf(layer), kWallpaperLayerClass);
    EXPECT_EQ(::GetAncestor(layer, GA_PARENT), ::GetDesktopWindow());
    EXPECT_TRUE(::IsWindowVisible(layer));
    EXPECT_EQ(Text(ScreenRect(layer)), Text(kMonitor));
    const LONG style = ::GetWindowLongA(layer, GWL_STYLE);
    const LONG ex_style = ::GetWindowLongA(layer, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0) << "no frame, no caption";
    const LONG wanted = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    EXPECT_EQ(ex_style & wanted, wanted) << "input-transparent, no taskbar button, never activated";
    EXPECT_EQ(ex_style & WS_EX_APPWINDOW, 0);
    // Owned by a hidden window: no taskbar lists it, not even one that lists tool windows.
    const HWND owner = ::GetWindow(layer, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(::IsWindowVisible(owner));

    // The renderer's window: a child of the layer, letterboxed (640 x 480 in 1280 x 1024), shown.
    EXPECT_EQ(renderer.owner, reinterpret_cast<OAHWND>(layer));
    EXPECT_EQ(renderer.style & (WS_CHILD | WS_CAPTION), WS_CHILD);
    EXPECT_EQ(RendererRect(), "0,32,1280,992");
    EXPECT_EQ(renderer.auto_show, OATRUE);
    EXPECT_EQ(renderer.visible, OATRUE);

    // Everything else stays above it, also windows opened later and attempts to raise it.
    EXPECT_TRUE(LowestVisible(layer));
    win::unique_hwnd later(::CreateWindowExA(0, "STATIC", "opened later", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100,
                                             nullptr, nullptr, nullptr, nullptr));
    ::SetWindowPos(layer, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(LowestVisible(layer));
    // A window that puts itself at the bottom (Wine's taskbar does) is soon above it again.
    ::SetWindowPos(later.get(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_FALSE(LowestVisible(layer));
    for (const DWORD start = ::GetTickCount(); !LowestVisible(layer) && ::GetTickCount() - start < 3000;) {
        PumpMessages();
        ::Sleep(20);
    }
    EXPECT_TRUE(LowestVisible(layer));
    // Clicks go through it to what lies below.
    const HWND hit = ::WindowFromPoint({640, 900});
    EXPECT_NE(::GetAncestor(hit, GA_ROOT), layer);

    window->LeaveDesktopMode();
}

TEST_F(WallpaperLayerTest, TheAspectRatioModeShapesThePictureAtOnce) {
    struct Case {
        TRatioModes mode;
        long aspect_x, aspect_y;  // the renderer's preferred aspect; 0: none, its pixel size counts
        const char* expected;
    };
    const Case cases[] = {
        {rmLetterBox, 0, 0, "0,32,1280,992"},      // 4:3 in 5:4: bars above and below
        {rmStretched, 0, 0, "0,0,1280,1024"},      // the whole monitor
        {rmCrop, 0, 0, "-42,0,1323,1024"},         // 1365 wide, the overflow cut off by the layer
        {rmLetterBox, 16, 9, "0,152,1280,872"},    // non-square pixels: the preferred 16:9 counts
    };
    RenderClip();
    window->EnterDesktopModeOn(kMonitorHandle);
    for (const Case& c : cases) {
        renderer.aspect_x = c.aspect_x;
        renderer.aspect_y = c.aspect_y;
        window->SetAspectRatio(c.mode);
        EXPECT_EQ(RendererRect(), c.expected) << "mode " << c.mode << ", aspect " << c.aspect_x << ":" << c.aspect_y;
    }
    window->LeaveDesktopMode();
}

TEST_F(WallpaperLayerTest, LeavingGivesTheRendererWindowBackExactlyAsItWas) {
    // Filling its parent, as the program holds it (leaving aligns it to the parent again).
    window->AlignToParentClient();
    RenderClip();
    for (const long visible_before : {OATRUE, OAFALSE}) {
        renderer.visible = visible_before;
        const RendererWindowState before = StateOf(renderer);

        window->EnterDesktopModeOn(kMonitorHandle);
        const HWND layer = Layer();
        ASSERT_NE(layer, nullptr);
        window->LeaveDesktopMode();

        EXPECT_TRUE(StateOf(renderer) == before)
            << "owner, styles, position, auto-show and visibility: " << ::testing::PrintToString(StateOf(renderer))
            << " instead of " << ::testing::PrintToString(before);
        EXPECT_EQ(renderer.visible, visible_before);
        EXPECT_FALSE(::IsWindow(layer)) << "the layer outlived desktop mode";
        EXPECT_EQ(Layer(), nullptr);
    }
}

TEST_F(WallpaperLayerTest, ARendererArrivingDuringDesktopModeGoesOntoTheLayer) {
    Activate();
    window->EnterDesktopModeOn(kMonitorHandle);
    ASSERT_NE(Layer(), nullptr);
    EXPECT_FALSE(::IsWindowVisible(Layer())) << "nothing to show yet: the desktop stays as it is";

    ASSERT_EQ(RenderFileDirect(L"next.avi"), S_OK);

    EXPECT_EQ(renderer.owner, reinterpret_cast<OAHWND>(Layer()));
    EXPECT_EQ(renderer.visible, OATRUE);
    EXPECT_TRUE(::IsWindowVisible(Layer()));
    window->LeaveDesktopMode();
}

TEST_F(WallpaperLayerTest, ADisplayChangeFitsTheLayerAndThePictureToTheMonitorAgain) {
    RenderClip();
    window->EnterDesktopModeOn(kMonitorHandle);
    services.monitor_bounds = {{0, 0, 1024, 768}};

    ::SendMessageA(window->DesktopFormHandle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));

    EXPECT_EQ(Text(ScreenRect(Layer())), "0,0,1024,768");
    EXPECT_EQ(RendererRect(), "0,0,1024,768");
    window->LeaveDesktopMode();
}

TEST_F(WallpaperLayerTest, AfterTheShellRestartsTheVideoMovesIntoItsLayerBelowTheIcons) {
    RenderClip();
    window->EnterDesktopModeOn(kMonitorHandle);
    const HWND own_layer = Layer();
    ASSERT_EQ(::GetAncestor(own_layer, GA_PARENT), ::GetDesktopWindow());

    // The shell comes (back) with the 24H2 layout: the icon view inside Progman.
    services.version = 0x4A61000A;  // 10.0
    RealShellWindows explorer(shell);
    ::SendMessageA(window->DesktopFormHandle(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);

    const HWND layer = Layer();
    EXPECT_FALSE(::IsWindow(own_layer));
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(::GetParent(layer), explorer.progman.get());
    EXPECT_EQ(::GetWindow(explorer.icon_view, GW_HWNDNEXT), layer) << "directly below the icon view";
    EXPECT_EQ(::GetWindowLongA(layer, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_EQ(Text(ScreenRect(layer)), Text(kMonitor));
    EXPECT_EQ(renderer.owner, reinterpret_cast<OAHWND>(layer));
    EXPECT_EQ(shell.sent, std::vector<std::string>{"0x52C 0xD 0x1"});
    window->LeaveDesktopMode();
    EXPECT_TRUE(::IsWindow(explorer.icon_view)) << "the shell's windows stay as the shell had them";
}

TEST_F(WallpaperLayerTest, LeavingBeforeALostLayerIsReplacedStillGivesTheRendererWindowBack) {
    RenderClip();
    auto explorer = std::make_unique<RealShellWindows>(shell);
    window->EnterDesktopModeOn(kMonitorHandle);
    shell.Remove(explorer->progman.get());
    explorer.reset();

    window->LeaveDesktopMode();  // before the window hears of the loss
    PumpMessages();

    EXPECT_EQ(renderer.owner, reinterpret_cast<OAHWND>(window->Parent()));
    EXPECT_EQ(renderer.visible, OATRUE);
    EXPECT_EQ(renderer.auto_show, OATRUE);
    EXPECT_EQ(Layer(), nullptr) << "no layer is made again after leaving";
}

TEST_F(WallpaperLayerTest, AShellWindowThatIsGoneByTheTimeTheLayerIsMadeLeavesItToOurOwnWindow) {
    // Found in the search, destroyed before the layer could be made inside it (the shell is
    // restarting): these handles name no window.
    const HWND progman = shell.Add("Progman");
    shell.Add("SHELLDLL_DefView", progman);
    ASSERT_FALSE(::IsWindow(progman));
    RenderClip();

    window->EnterDesktopModeOn(kMonitorHandle);

    const HWND layer = Layer();
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(::GetAncestor(layer, GA_PARENT), ::GetDesktopWindow());
    EXPECT_TRUE(::IsWindowVisible(layer));
    EXPECT_EQ(renderer.owner, reinterpret_cast<OAHWND>(layer));
    EXPECT_FALSE(::IsWindowVisible(window->DesktopFormHandle())) << "desktop mode was entered to the end";
    window->LeaveDesktopMode();
}

TEST_F(WallpaperLayerTest, BehindTheIconsTheLayerLiesInTheShellsWorkerOverItsOwnMonitor) {
    // Two monitors side by side, the second one primary: the shell's WorkerW spans the virtual
    // screen from x = -1280, so the layer's place inside it is not its place on the screen.
    services.monitor_bounds = {{-1280, 0, 0, 1024}, kMonitor};
    services.version = 0x4A61000A;  // 10.0
    win::unique_hwnd icon_holder(::CreateWindowExA(0, "STATIC", "", WS_POPUP, -1280, 0, 2560, 1024, nullptr, nullptr,
                                                   nullptr, nullptr));
    const HWND icon_view = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 2560, 1024,
                                             icon_holder.get(), nullptr, nullptr, nullptr);
    win::unique_hwnd worker(::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, -1280, 0, 2560, 1024, nullptr,
                                              nullptr, nullptr, nullptr));
    shell.Add("WorkerW", nullptr, nullptr, icon_holder.get());
    shell.Add("SHELLDLL_DefView", icon_holder.get(), nullptr, icon_view);
    shell.Add("WorkerW", nullptr, nullptr, worker.get());
    shell.Add("Progman");
    RenderClip();

    window->EnterDesktopModeOn(reinterpret_cast<HMONITOR>(2));

    const HWND layer = Layer();
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(::GetParent(layer), worker.get());
    EXPECT_EQ(Text(ScreenRect(layer)), Text(kMonitor));
    EXPECT_TRUE(::IsWindowVisible(layer));
    EXPECT_EQ(renderer.owner, reinterpret_cast<OAHWND>(layer));
    EXPECT_EQ(RendererRect(), "0,32,1280,992") << "in the layer's own coordinates";
    window->LeaveDesktopMode();
    EXPECT_FALSE(::IsWindow(layer));
    EXPECT_TRUE(::IsWindow(worker.get()));
    EXPECT_EQ(::GetWindow(worker.get(), GW_CHILD), nullptr) << "the shell's layer is left as the shell had it";
}

TEST_F(WallpaperLayerTest, WhenTheShellTakesItsLayerAwayTheRendererWindowIsSavedAndPlacedAgain) {
    RenderClip();
    auto explorer = std::make_unique<RealShellWindows>(shell);
    window->EnterDesktopModeOn(kMonitorHandle);  // Windows 7: inside Progman
    ASSERT_EQ(::GetParent(Layer()), explorer->progman.get());

    // The shell ends: its windows go, and with them the layer inside.
    shell.Remove(explorer->progman.get());
    explorer.reset();
    EXPECT_EQ(renderer.owner, reinterpret_cast<OAHWND>(window->DesktopFormHandle()))
        << "the renderer's window must leave the layer before it is destroyed";
    EXPECT_EQ(renderer.visible, OAFALSE);

    PumpMessages();
    const HWND layer = Layer();
    ASSERT_NE(layer, nullptr);
    EXPECT_TRUE(::IsWindow(layer));
    EXPECT_EQ(::GetAncestor(layer, GA_PARENT), ::GetDesktopWindow()) << "no shell now: our own window";
    EXPECT_EQ(renderer.owner, reinterpret_cast<OAHWND>(layer));
    EXPECT_EQ(renderer.visible, OATRUE);
    window->LeaveDesktopMode();
}

}  // namespace
}  // namespace wallcine::video
