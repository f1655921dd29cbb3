#include "app/application.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <memory>
#include <vector>

#include "app/form1_main.h"
#include "app/form2_playing_control.h"
#include "app/form3_playlist.h"
#include "app/form4_active_filters.h"
#include "app/overlay_patch.h"
#include "win/desktop_services.h"
#include "win/idle_handlers.h"

namespace wallcine::app {

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm4* Form4 = nullptr;

namespace {

// OleInitialize (COM for DirectShow, plus drag and drop and the clipboard for the common
// dialogs) for the life of the application; undone only when it succeeded.
class OleScope {
public:
    OleScope() noexcept : result_(::OleInitialize(nullptr)) {}
    ~OleScope() {
        if (SUCCEEDED(result_)) ::OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

private:
    HRESULT result_;
};

template <class Form>
std::unique_ptr<Form> CreateFormInto(Form*& reference) {
    auto form = std::make_unique<Form>();
    reference = form.get();
    return form;
}

// Dispatches messages; when the queue runs dry, runs the idle handlers, then waits.
int RunMessageLoop() {
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        if (win::RunIdleHandlers()) ::WaitMessage();
    }
}

}  // namespace

std::string ExecutablePath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

int RunApplication(const std::string& exe_path) {
    OleScope ole;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    if (ApplyOverlayPatch(win::DesktopServices(), exe_path) == OverlayPatchOutcome::WrittenRestart) return 0;

    int exit_code = 0;
    {
        // Each window is complete, its creation handler included, before the next is made;
        // they are freed in reverse order when the loop has ended.
        auto form1 = CreateFormInto(Form1);
        auto form2 = CreateFormInto(Form2);
        auto form3 = CreateFormInto(Form3);
        auto form4 = CreateFormInto(Form4);
        // The main window is never shown: the user reaches the program through the tray icon.
        exit_code = RunMessageLoop();
        Form4 = nullptr;
        Form3 = nullptr;
        Form2 = nullptr;
        Form1 = nullptr;
    }
    return exit_code;
}

}  // namespace wallcine::app
