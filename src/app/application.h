// The start-up sequence: overlay switch, the four windows in their fixed order, the message
// loop with the main window hidden.
#pragma once

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

// Runs Wallcine and returns the process exit code.
int RunApplication(const std::string& exe_path);

// The running executable's full path as the system names it.
std::string ExecutablePath();

}  // namespace wallcine::app
