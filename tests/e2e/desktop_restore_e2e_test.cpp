// The user's desktop survives whatever ends Wallcine: killed in desktop mode, its watchdog gives
// the wallpaper back; with the watchdog killed too, the next start does; a restore journal that
// cannot be read is set aside, never applied; the end of the session gives it back. And one
// Wallcine at a time: a second start hands its clip to the running one and ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "desktop_settings.h"
#include "polling.h"
#include "remote_controls.h"
#include "test_files.h"
#include "wallcine_process.h"

namespace wallcine::e2e {
namespace {

const std::string kJournalKey = kRestoreJournalKey;
const std::string kSetAsideKey = "Software\\Wallcine\\Restore.SetAside";

void Kill(DWORD process_id) {
    win::unique_handle_kernel process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process_id));
    ASSERT_TRUE(process) << "cannot open process " << process_id;
    ::TerminateProcess(process.get(), 9);
    ::WaitForSingleObject(process.get(), kPatience);
}

bool KeyExists(const std::string& key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    ::RegCloseKey(handle);
    return true;
}

void WriteJournalValue(const std::string& name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, kJournalKey.c_str(), name.c_str(), type, data, size), ERROR_SUCCESS);
}

std::string ReadUserString(const std::string& key, const std::string& name) {
    char text[1024] = {};
    DWORD size = sizeof text;
    if (::RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return {};
    return text;
}

// Wallcine playing a long clip with the video on the desktop (the wallpaper value emptied).
struct OnTheDesktop {
    explicit OnTheDesktop(const std::string& clip = ClipPath("grey-30s.avi")) : wallcine(Quoted(clip)) {
        forms = wallcine.WaitUntilInTray();
        if (!forms.main) {
            ADD_FAILURE() << "Wallcine did not get to the tray";
            return;
        }
        on_desktop = WaitUntil([] { return ReadWallpaperValue() == std::string(); });
        if (!on_desktop) ADD_FAILURE() << "desktop mode never emptied the wallpaper value";
    }
    WallcineProcess wallcine;
    WallcineProcess::Forms forms;
    bool on_desktop = false;
};

void ExitAndExpectTheDesktopBack(OnTheDesktop& running) {
    ::PostMessageA(running.forms.main, WM_COMMAND, app::kCmdExit, 0);
    EXPECT_EQ(running.wallcine.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper);
    EXPECT_FALSE(KeyExists(kJournalKey)) << "the journal outlived a restore that worked";
}

TEST(DesktopRestoreE2E, KilledInDesktopModeItsWatchdogGivesTheDesktopBack) {
    DesktopSettingsForTest desktop;
    OnTheDesktop running;
    ASSERT_TRUE(running.on_desktop);
    EXPECT_TRUE(KeyExists(kJournalKey)) << "desktop mode wrote nothing down";
    std::vector<DWORD> watchdogs;
    ASSERT_TRUE(WaitUntil([&] { return !(watchdogs = WallcineProcessesOtherThan(running.wallcine.Id())).empty(); }))
        << "no watchdog was started with desktop mode";
    EXPECT_EQ(watchdogs.size(), 1u) << "one watchdog, never more";

    const DWORD killed = ::GetTickCount();
    ::TerminateProcess(running.wallcine.Handle(), 9);
    ASSERT_TRUE(WaitUntil([] { return ReadWallpaperValue() == std::string(kTestWallpaper); }))
        << "the wallpaper value stayed empty after the kill";
    std::printf("wallpaper back %lu ms after the kill\n", ::GetTickCount() - killed);
    EXPECT_FALSE(KeyExists(kJournalKey));
    EXPECT_TRUE(WaitUntil([&] { return WallcineProcessesOtherThan(running.wallcine.Id()).empty(); }))
        << "the watchdog did not end after its work";
}

TEST(DesktopRestoreE2E, WithTheWatchdogKilledTooTheNextStartGivesTheWallpaperBack) {
    DesktopSettingsForTest desktop;
    {
        OnTheDesktop first;
        ASSERT_TRUE(first.on_desktop);
        std::vector<DWORD> watchdogs;
        ASSERT_TRUE(WaitUntil([&] { return !(watchdogs = WallcineProcessesOtherThan(first.wallcine.Id())).empty(); }));
        for (DWORD watchdog : watchdogs) Kill(watchdog);
        ::TerminateProcess(first.wallcine.Handle(), 9);
        ASSERT_TRUE(first.wallcine.WaitForExit().has_value());
    }
    EXPECT_EQ(ReadWallpaperValue(), std::string()) << "nobody was left to give it back";
    ASSERT_TRUE(KeyExists(kJournalKey));

    // The next start restores before anything else, then takes the desktop again; its Exit gives
    // back the user's wallpaper, not the empty value the killed run left.
    OnTheDesktop second;
    ASSERT_TRUE(second.on_desktop);
    ExitAndExpectTheDesktopBack(second);
}

TEST(DesktopRestoreE2E, AJournalLeftWithAColourIsAppliedFirstThingAtStart) {
    DesktopSettingsForTest desktop;
    // What a run killed in desktop mode with an overlay leaves: an empty wallpaper, the desktop in
    // the key's colour, and the journal of the user's values.
    WriteUserString("Control Panel\\Desktop", "WallPaper", "");
    const std::string wallpaper = kTestWallpaper;
    WriteJournalValue("WallPaper", REG_SZ, wallpaper.c_str(), static_cast<DWORD>(wallpaper.size() + 1));
    const DWORD yes = 1;
    const DWORD colour = RGB(0x21, 0x43, 0x65);
    WriteJournalValue("WallPaperExisted", REG_DWORD, &yes, sizeof yes);
    WriteJournalValue("DesktopColor", REG_DWORD, &colour, sizeof colour);
    WriteJournalValue("Complete", REG_DWORD, &yes, sizeof yes);

    WallcineProcess wallcine(Quoted(ClipPath("grey-30s.avi")));
    const auto forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr);
    EXPECT_EQ(DesktopColourSeenByNewProcess(), colour) << "the journal's colour";
    EXPECT_TRUE(WaitUntil([] { return ReadWallpaperValue() == std::string(); })) << "desktop mode as usual";
    ::PostMessageA(forms.main, WM_COMMAND, app::kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper) << "the journal's wallpaper is the user's from then on";
}

TEST(DesktopRestoreE2E, AGarbageJournalIsSetAsideAndNeverApplied) {
    DesktopSettingsForTest desktop;
    DeleteUserKeyTree(kSetAsideKey);
    const unsigned char garbage[] = {0xDE, 0xAD, 0x00, 0xBE, 0xEF};
    WriteJournalValue("WallPaper", REG_BINARY, garbage, sizeof garbage);
    WriteJournalValue("Complete", REG_SZ, "yes", 4);

    OnTheDesktop running;
    ASSERT_TRUE(running.forms.main);
    EXPECT_EQ(ReadUserString(kJournalKey, "WallPaper"), kTestWallpaper)
        << "the journal holds the user's values now, not the garbage";
    EXPECT_NE(ReadUserString(kSetAsideKey, "Note"), "") << "set aside with a note";
    ExitAndExpectTheDesktopBack(running);
    DeleteUserKeyTree(kSetAsideKey);
}

TEST(DesktopRestoreE2E, ASecondStartHandsItsClipToTheRunningOneAndEnds) {
    DesktopSettingsForTest desktop;
    OnTheDesktop running(ClipPath("grey-30s.avi"));
    ASSERT_TRUE(running.forms.main);

    const std::string other_clip = ClipPath("clip-30s.avi");
    WallcineProcess second(Quoted(other_clip));
    EXPECT_EQ(second.WaitForExit(), std::optional<DWORD>(0)) << "the second start ends at once";
    const HWND title = Control(running.forms.playing_control, app::kIdTitle);
    EXPECT_TRUE(WaitUntil([&] { return IsRotationOf(WindowText(title), TitleText(other_clip)); }))
        << "the running one did not play the clip: \"" << WindowText(title) << "\"";
    EXPECT_EQ(ListBoxRows(Control(running.forms.playlist, app::kIdPlaylistRows)), std::vector<std::string>{other_clip});

    // Without an argument, a second start opens the running one's playing control.
    WallcineProcess bare;
    EXPECT_EQ(bare.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(running.forms.playing_control) != FALSE; }));
    ExitAndExpectTheDesktopBack(running);
}

TEST(DesktopRestoreE2E, TheEndOfTheSessionGivesTheDesktopBackAndRemovesTheJournal) {
    DesktopSettingsForTest desktop;
    OnTheDesktop running;
    ASSERT_TRUE(running.on_desktop);
    EXPECT_EQ(::SendMessageA(running.forms.main, WM_QUERYENDSESSION, 0, 0), TRUE);
    ::SendMessageA(running.forms.main, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper);
    EXPECT_FALSE(KeyExists(kJournalKey));
    // The system ends the process after the session's end.
    ::TerminateProcess(running.wallcine.Handle(), 0);
    EXPECT_TRUE(WaitUntil([&] { return WallcineProcessesOtherThan(running.wallcine.Id()).empty(); }))
        << "the watchdog did not end";
    EXPECT_EQ(ReadWallpaperValue(), kTestWallpaper);
}

}  // namespace
}  // namespace wallcine::e2e
