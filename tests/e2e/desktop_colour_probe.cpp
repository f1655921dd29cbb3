// Tells the desktop background colour (COLOR_BACKGROUND) as a freshly started program sees it,
// as its exit code: the end-to-end tests ask it after Wallcine has changed or restored the colour.
#include <windows.h>

int main() { return static_cast<int>(::GetSysColor(COLOR_BACKGROUND)); }
