// What a Windows user downloads, under Wine, in a prefix made fresh for this driver: the setup
// installs silently, everything lands where it belongs, the installed exe plays, a playlist
// opened through its association plays, and the silent uninstall, run while Wallcine
// plays on the desktop, ends it with the desktop given back and leaves no file, key or value
// behind. Also the windows at a DPI other than 96.
#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <optional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/version.h"
#include "desktop_settings.h"
#include "playing_title.h"
#include "polling.h"
#include "remote_controls.h"
#include "system_snapshot.h"
#include "test_files.h"
#include "wallcine_process.h"
#include "win/code_page.h"
#include "win/com_ptr.h"
#include "win/unique_handle.h"

namespace wallcine::e2e {
namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wallcine";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr DWORD kInstallerPatience = 120000;

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    if (FAILED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) return {};
    const win::unique_cotaskmem owned(path);
    return win::WideToAnsi(path);
}

std::string InstallDir() { return KnownFolder(FOLDERID_LocalAppData) + "\\Programs\\Wallcine"; }
std::string InstalledExe() { return InstallDir() + "\\Wallcine.exe"; }
std::string StartMenuShortcut() { return KnownFolder(FOLDERID_Programs) + "\\Wallcine.lnk"; }

std::optional<std::string> ReadUserString(const std::string& key, const std::string& name) {
    char value[1024] = {};
    DWORD size = sizeof value;
    if (::RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_REG_SZ, nullptr,
                       value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(value);
}

// Runs a program to its end, and then the processes it started (the uninstaller goes on in a
// copy of itself, so that its own exe can be deleted). The program's exit code, or nothing
// when something did not end in time.
std::optional<DWORD> RunToEnd(const std::string& command_line) {
    const StartedProcess process = StartProcess(command_line);
    if (!process.handle || ::WaitForSingleObject(process.handle.get(), kInstallerPatience) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(process.handle.get(), &code);

    std::vector<win::unique_handle_kernel> children;
    const win::unique_handle_kernel snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{sizeof entry};
    for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry))
        if (entry.th32ParentProcessID == process.id)
            children.emplace_back(::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
    for (const win::unique_handle_kernel& child : children)
        if (child && ::WaitForSingleObject(child.get(), kInstallerPatience) != WAIT_OBJECT_0) return std::nullopt;
    return code;
}

// What the installer may touch: the user's registry, the machine's software key, the user's
// application data (the program, the Start menu) and the machine-wide program folders. The
// profile's document folders are left out (under Wine they are links to the Unix home, the
// Templates folder inside the application data too), and so is the temporary folder: the uninstaller runs from a copy of itself there (so that it can delete
// its own exe), which the system removes, not the program.
Snapshot WholeSystem() {
    Snapshot lines = RegistrySnapshot(HKEY_CURRENT_USER, L"HKCU");
    lines.merge(RegistrySnapshot(HKEY_LOCAL_MACHINE, L"HKLM", L"Software"));
    std::string temp(MAX_PATH, '\0');
    temp.resize(::GetTempPathA(MAX_PATH, temp.data()));
    if (temp.ends_with('\\')) temp.pop_back();
    const std::vector<std::wstring> skipped{win::AnsiToWide(temp), win::AnsiToWide(KnownFolder(FOLDERID_Templates))};
    for (REFKNOWNFOLDERID folder : {FOLDERID_LocalAppData, FOLDERID_RoamingAppData, FOLDERID_ProgramData,
                                    FOLDERID_ProgramFiles})
        lines.merge(FileSnapshot(win::AnsiToWide(KnownFolder(folder)), skipped));
    return lines;
}

std::string ShortcutTarget(const std::string& shortcut) {
    win::com_ptr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
        return "(no shell link object)";
    auto file = link.try_query<IPersistFile>();
    if (!file || FAILED(file->Load(win::AnsiToWide(shortcut).c_str(), STGM_READ))) return "(cannot be read)";
    wchar_t target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, 0))) return "(no target)";
    return win::WideToAnsi(target);
}

// A double-clicked file started as the shell of Windows starts it: the extension's ProgID, its
// "open" command, "%1" replaced by the file. Windows reads the per-user classes
// (HKCU\Software\Classes) before the machine's; Wine 8's shell reads only the machine's
// (HKEY_CLASSES_ROOT is HKLM\Software\Classes there), so ShellExecute cannot find a per-user
// association under Wine and the driver follows the per-user keys itself.
StartedProcess OpenAsTheShellDoes(const std::string& file) {
    const std::string extension = file.substr(file.rfind('.'));
    const std::optional<std::string> prog_id = ReadUserString("Software\\Classes\\" + extension, "");
    if (!prog_id) {
        ADD_FAILURE() << "no per-user association for " << extension;
        return {};
    }
    std::optional<std::string> command =
        ReadUserString("Software\\Classes\\" + *prog_id + "\\shell\\open\\command", "");
    const std::size_t placeholder = command ? command->find("%1") : std::string::npos;
    if (placeholder == std::string::npos) {
        ADD_FAILURE() << *prog_id << " has no open command with %1";
        return {};
    }
    command->replace(placeholder, 2, file);
    return StartProcess(*command);
}

class ComScope {
public:
    ComScope() noexcept : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

void ExpectInstalledWhereItBelongs() {
    for (const char* file : {"Wallcine.exe", "README.md", "LICENSE.txt", "Uninstall.exe"})
        EXPECT_NE(::GetFileAttributesA((InstallDir() + "\\" + file).c_str()), INVALID_FILE_ATTRIBUTES) << file;
    EXPECT_EQ(ReadFileBytes(InstalledExe()), ReadFileBytes(WallcineExePath())) << "not the exe of this build";

    EXPECT_EQ(ShortcutTarget(StartMenuShortcut()), InstalledExe());

    // The association, per user.
    const std::string open_command = Quoted(InstalledExe()) + " \"%1\"";
    EXPECT_EQ(ReadUserString("Software\\Classes\\.wcl", ""), std::optional<std::string>("Wallcine.Playlist"));
    EXPECT_EQ(ReadUserString("Software\\Classes\\Wallcine.Playlist\\shell\\open\\command", ""),
              std::optional<std::string>(open_command));

    // Apps & features.
    EXPECT_EQ(ReadUserString(kUninstallKey, "DisplayName"), std::optional<std::string>("Wallcine"));
    EXPECT_EQ(ReadUserString(kUninstallKey, "DisplayVersion"), std::optional<std::string>(WALLCINE_VERSION_TEXT));
    EXPECT_EQ(ReadUserString(kUninstallKey, "UninstallString"),
              std::optional<std::string>(Quoted(InstallDir() + "\\Uninstall.exe")));
    EXPECT_EQ(ReadUserString(kUninstallKey, "DisplayIcon"), std::optional<std::string>(InstalledExe() + ",0"));

    // "Start with Windows", chosen with /AUTOSTART: the exe, until an item is opened.
    EXPECT_EQ(ReadUserString(kRunKey, "Wallcine"), std::optional<std::string>(Quoted(InstalledExe())));
}

void ExpectInstalledExePlays() {
    const std::string clip = ClipPath("clip-30s.avi");
    WallcineProcess wallcine(StartProcess(Quoted(InstalledExe()) + " " + Quoted(clip)));
    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr) << "the installed Wallcine did not start playing";
    // Its playing control shows the clip's title and a position that moves on.
    ::PostMessageA(forms.main, WM_COMMAND, app::kCmdPlayingControl, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(forms.playing_control); }));
    EXPECT_TRUE(IsRotationOf(PlayingTitle(forms.playing_control), TitleText(clip)))
        << PlayingTitle(forms.playing_control);
    const HWND status_bar = Control(forms.playing_control, app::kIdStatusBar);
    const std::string first_position = StatusBarPanelText(wallcine.Handle(), status_bar, 0);
    EXPECT_TRUE(WaitUntil([&] { return StatusBarPanelText(wallcine.Handle(), status_bar, 0) != first_position; }))
        << "the position stays at " << first_position;
    ::PostMessageA(forms.main, WM_COMMAND, app::kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
}

// A fresh prefix lacks what a Windows in use has, and the system writes it on first use: the
// comparison below would blame the installer for it. Keys every Windows has, which
// an uninstaller must leave, are made; the first playback fills the system's audio device and
// DirectShow caches.
void PrepareLikeAWindowsInUse() {
    for (const char* key : {"Software\\Classes", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
        win::unique_hkey created;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_READ, nullptr, created.put(), nullptr),
                  ERROR_SUCCESS);
    }
    WallcineProcess wallcine(Quoted(ClipPath("red-1s.avi")));
    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr) << "Wallcine did not start";
    ::PostMessageA(forms.main, WM_COMMAND, app::kCmdExit, 0);
    ASSERT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
}

TEST(PackageE2E, InstallPlayOpenAPlaylistAndUninstallWhilePlayingLeaveNothingBehind) {
    const ComScope com;
    const DesktopSettingsForTest desktop;
    ASSERT_NO_FATAL_FAILURE(PrepareLikeAWindowsInUse());
    const ScratchDirectory scratch;
    // Another program had claimed .wcl: the uninstaller must give it back.
    WriteUserString("Software\\Classes\\.wcl", "", "OtherPlayer.Playlist");
    const std::vector<std::string> rows{ClipPath("grey-30s.avi"), ClipPath("red-1s.avi")};
    const std::string playlist = scratch.Write("evening.wcl", PlaylistBytes(rows));
    const Snapshot before = WholeSystem();

    const std::string setup = BuildPath("Wallcine-" WALLCINE_VERSION_TEXT "-setup.exe");
    ASSERT_EQ(RunToEnd(Quoted(setup) + " /S /AUTOSTART"), std::optional<DWORD>(0)) << setup;
    ASSERT_NO_FATAL_FAILURE(ExpectInstalledWhereItBelongs());
    ASSERT_NO_FATAL_FAILURE(ExpectInstalledExePlays());

    // A double-click on a playlist: the installed Wallcine starts with it.
    WallcineProcess wallcine(OpenAsTheShellDoes(playlist));
    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr) << "opening the playlist did not start Wallcine";
    EXPECT_EQ(ListBoxRows(Control(forms.playlist, app::kIdPlaylistRows)), rows);
    // The next session plays what was opened last.
    EXPECT_EQ(ReadUserString(kRunKey, "Wallcine"),
              std::optional<std::string>(Quoted(InstalledExe()) + " " + Quoted(playlist)));
    // Desktop mode has changed the wallpaper setting (emptied it) when the uninstaller comes.
    ASSERT_TRUE(WaitUntil([&] { return ReadWallpaperValue() != std::optional<std::string>(desktop.Wallpaper()); }))
        << "Wallcine never took the desktop";

    const std::string uninstaller = InstallDir() + "\\Uninstall.exe";
    ASSERT_EQ(RunToEnd(Quoted(uninstaller) + " /S"), std::optional<DWORD>(0));

    // Wallcine was asked to exit, and gave the desktop back before anything was removed.
    EXPECT_EQ(wallcine.WaitForExit(0), std::optional<DWORD>(0)) << "Wallcine still runs, or was ended otherwise";
    EXPECT_EQ(ReadWallpaperValue(), std::optional<std::string>(desktop.Wallpaper()));
    EXPECT_EQ(DesktopColourSeenByNewProcess(), desktop.Colour());

    EXPECT_EQ(Differences(before, WholeSystem()), "") << "left behind (+) or removed (-) by install and uninstall";
}

// The windows' fixed layouts, drawn at 96 DPI, at 144 DPI (150 %) on the real system: Wine
// gives a process the DPI of HKCU "Control Panel\Desktop" LogPixels when it starts.
class DisplayDpiForWallcine {
public:
    explicit DisplayDpiForWallcine(DWORD dpi) {
        EXPECT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", REG_DWORD, &dpi, sizeof dpi),
                  ERROR_SUCCESS);
    }
    ~DisplayDpiForWallcine() { DeleteUserValue(kDesktopKey, "LogPixels"); }
    DisplayDpiForWallcine(const DisplayDpiForWallcine&) = delete;
    DisplayDpiForWallcine& operator=(const DisplayDpiForWallcine&) = delete;

private:
    static constexpr char kDesktopKey[] = "Control Panel\\Desktop";
};

SIZE ClientSize(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return {client.right, client.bottom};
}

RECT ChildBounds(HWND parent, int id) {
    RECT bounds{};
    ::GetWindowRect(Control(parent, id), &bounds);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

TEST(PackageE2E, At150PercentTheWindowsAreLaidOutOneAndAHalfTimesAsLarge) {
    const DisplayDpiForWallcine dpi(144);
    const DesktopSettingsForTest desktop;
    WallcineProcess wallcine(Quoted(ClipPath("clip-30s.avi")));
    const WallcineProcess::Forms forms = wallcine.WaitUntilInTray();
    ASSERT_NE(forms.main, nullptr);

    // Playing control: a 272 x 273 client area at 96 DPI; halves round up, as MulDiv does.
    const SIZE client = ClientSize(forms.playing_control);
    EXPECT_EQ(client.cx, 408);
    EXPECT_EQ(client.cy, 410);
    const RECT panel = ChildBounds(forms.playing_control, app::kIdPicturePanel);  // 32, 40, 205 x 157
    EXPECT_EQ(panel.left, 48);
    EXPECT_EQ(panel.top, 60);
    EXPECT_EQ(panel.right - panel.left, 308);
    EXPECT_EQ(panel.bottom - panel.top, 236);
    const RECT status = ChildBounds(forms.playing_control, app::kIdStatusBar);  // 19 high, along the bottom
    EXPECT_EQ(status.bottom, client.cy);
    EXPECT_EQ(status.bottom - status.top, 29);

    // Playlist: the list at 8, 8, 361 wide; the buttons at 384 down.
    const RECT list = ChildBounds(forms.playlist, app::kIdPlaylistRows);
    EXPECT_EQ(list.left, 12);
    EXPECT_EQ(list.top, 12);
    EXPECT_NEAR(list.right - list.left, 542, 1);  // it follows the window's width
    EXPECT_EQ(ChildBounds(forms.playlist, app::kIdAddToList).top, 576);
    // Rows of 13 pixels at 96 DPI.
    EXPECT_EQ(Ask(Control(forms.playlist, app::kIdPlaylistRows), LB_GETITEMHEIGHT), 20);

    ::PostMessageA(forms.main, WM_COMMAND, app::kCmdExit, 0);
    EXPECT_EQ(wallcine.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace wallcine::e2e
