// The start-up sequence: overlay switch, the four windows in their fixed order, the message
// loop with the main window hidden.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "win/winmm_api.h"

namespace wallcine::app {

class TForm1;
class TForm2;
class TForm3;
class TForm4;

// The program-wide references through which the windows reach each other; set while
// RunApplication runs, null before and after.
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;
extern TForm4* Form4;

// Runs Wallcine and returns the process exit code. `first_argument` is the command line's first
// argument (a media file or a ".wcl" playlist), empty when there is none.
int RunApplication(const std::string& exe_path, const std::string& first_argument);

// The four windows, each created completely (its creation handler included) before the next, and
// published in Form1..Form4 while they live; freed in reverse order. The shared playback state
// (its COM references included) is cleared after them, also when a window could not be made, so
// nothing is released after COM has gone.
class ApplicationForms {
public:
    // `winmm` drives the supervision tick (a fake one in tests).
    explicit ApplicationForms(const std::string& first_argument,
                              const win::WinmmApi& winmm = win::SystemWinmm());
    ~ApplicationForms();
    ApplicationForms(const ApplicationForms&) = delete;
    ApplicationForms& operator=(const ApplicationForms&) = delete;

    // The creation handler ended the program before anything played: exit at once with code 0.
    bool Halted() const noexcept { return !form2_; }
    // Start-up failed and was reported: the message loop is not entered.
    bool TerminateRequested() const noexcept;

    TForm1& Main() const noexcept { return *form1_; }
    TForm2* PlayingControl() const noexcept { return form2_.get(); }
    TForm3* Playlist() const noexcept { return form3_.get(); }
    TForm4* ActiveFilters() const noexcept { return form4_.get(); }

private:
    // First member, so it runs last: clears the published references and the playback state.
    struct SharedStateReset {
        ~SharedStateReset();
    } shared_state_reset_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm4> form4_;
};

// OleInitialize (COM for DirectShow, plus drag and drop and the clipboard for the common
// dialogs) for the life of the application; undone only when it succeeded.
class OleScope {
public:
    OleScope() noexcept;
    ~OleScope();
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

private:
    HRESULT result_;
};

// The message loop of the GUI thread: dispatches messages, with the keyboard navigation of the
// windows that have controls (Tab, Shift+Tab), and runs the idle handlers when the queue is dry.
int RunMessageLoop();

// The running executable's full path as the system names it.
std::string ExecutablePath();

}  // namespace wallcine::app
