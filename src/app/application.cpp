#include "app/application.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <memory>
#include <vector>

#include "app/autostart.h"
#include "app/form1_main.h"
#include "app/form2_playing_control.h"
#include "app/form3_playlist.h"
#include "app/form4_active_filters.h"
#include "app/overlay_patch.h"
#include "app/playback_state.h"
#include "app/single_instance.h"
#include "app/watchdog.h"
#include "video/restore_journal.h"
#include "win/desktop_services.h"
#include "win/idle_handlers.h"
#include "win/message_pump.h"

namespace wallcine::app {

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm4* Form4 = nullptr;

OleScope::OleScope() noexcept : result_(::OleInitialize(nullptr)) {}

OleScope::~OleScope() {
    if (SUCCEEDED(result_)) ::OleUninitialize();
}

std::string ExecutablePath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

ApplicationForms::ApplicationForms(const std::string& first_argument, const win::WinmmApi& winmm) {
    form1_ = std::make_unique<TForm1>(first_argument, winmm);
    Form1 = form1_.get();
    if (form1_->HaltRequested()) return;
    form2_ = std::make_unique<TForm2>();
    Form2 = form2_.get();
    form3_ = std::make_unique<TForm3>();
    Form3 = form3_.get();
    form4_ = std::make_unique<TForm4>();
    Form4 = form4_.get();
}

ApplicationForms::~ApplicationForms() {
    // Each reference is cleared before its window goes, the last window first.
    Form4 = nullptr;
    form4_.reset();
    Form3 = nullptr;
    form3_.reset();
    Form2 = nullptr;
    form2_.reset();
    Form1 = nullptr;
    form1_.reset();
}

ApplicationForms::SharedStateReset::~SharedStateReset() {
    Form4 = nullptr;
    Form3 = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
    // The references the windows shared go with them.
    ResetPlaybackState();
}

int RunMessageLoop() {
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            win::DispatchWithKeyboardNavigation(message);
        }
        if (win::RunIdleHandlers()) ::WaitMessage();
    }
}

bool ApplicationForms::TerminateRequested() const noexcept { return form1_->TerminateRequested(); }

int RunApplication(const std::string& exe_path, const std::string& first_argument) {
    // One instance: a second start hands its argument to the running one and ends.
    const SingleInstance instance;
    if (!instance.First()) {
        if (HandOverToRunningInstance(first_argument)) return 0;
        win::DesktopServices().MessageBoxA(nullptr, "Wallcine is already running but does not answer.", "Error",
                                           MB_ICONHAND | MB_SYSTEMMODAL);
        return 1;
    }
    // A run that ended without giving the desktop back (killed in desktop mode) is put right
    // before anything else: the values it wrote down are the user's.
    video::RestoreAfterCrash(win::DesktopServices());

    OleScope ole;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    if (ApplyOverlayPatch(win::DesktopServices(), exe_path) == OverlayPatchOutcome::WrittenRestart) return 0;

    ApplicationForms forms(first_argument);
    if (forms.Halted() || forms.TerminateRequested()) return 0;
    // The item started: with "Start with Windows" chosen, the next session plays it again (the
    // argument, or what the file dialog of a start without one chose).
    RememberForNextSession(exe_path, first_argument.empty() ? forms.Main().OpenDialog1.FileName : first_argument);
    // Desktop mode changes the user's desktop: from then on a watchdog gives it back if we are killed.
    forms.Main().OnDesktopModeEntered = [exe_path] { StartWatchdog(exe_path); };
    // Nothing is decoded or drawn while nobody can see it.
    forms.Main().PauseWhileUnseen(UnseenChoices::Read());
    // The main window is never shown: the user reaches the program through the tray icon.
    return RunMessageLoop();
}

}  // namespace wallcine::app
