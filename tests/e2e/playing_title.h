// The playing control window's title (it scrolls), followed from item to item.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wallcine::e2e {

// The title the playing control window (TForm2) shows now.
std::string PlayingTitle(HWND playing_control);
// The row whose title the window shows, -1 when none.
int RowOfTitle(HWND playing_control, const std::vector<std::string>& rows);
// Appends `value` when it differs from the last one kept: the order in which values changed.
void KeepChange(std::vector<int>& changes, int value);

}  // namespace wallcine::e2e
