// The start-up sequence: overlay switch, the four windows in their fixed order, the message
// loop with the main window hidden.
#pragma once

#include <memory>
#include <string>

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
// published in Form1..Form4 while they live; freed in reverse order.
class ApplicationForms {
public:
    explicit ApplicationForms(const std::string& first_argument);
    ~ApplicationForms();
    ApplicationForms(const ApplicationForms&) = delete;
    ApplicationForms& operator=(const ApplicationForms&) = delete;

    // The creation handler ended the program before anything played: exit at once with code 0.
    bool Halted() const noexcept { return !form2_; }
    // Start-up failed and was reported: the message loop is not entered.
    bool TerminateRequested() const noexcept;

    TForm1& Main() const noexcept { return *form1_; }

private:
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm4> form4_;
};

// The running executable's full path as the system names it.
std::string ExecutablePath();

}  // namespace wallcine::app
