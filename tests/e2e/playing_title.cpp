#include "playing_title.h"

#include "app/control_ids.h"
#include "remote_controls.h"
#include "test_files.h"
#include "wallcine_process.h"

namespace wallcine::e2e {

std::string PlayingTitle(HWND playing_control) { return WindowText(Control(playing_control, app::kIdTitle)); }

int RowOfTitle(HWND playing_control, const std::vector<std::string>& rows) {
    const std::string shown = PlayingTitle(playing_control);
    for (size_t row = 0; row < rows.size(); ++row)
        if (IsRotationOf(shown, TitleText(rows[row]))) return static_cast<int>(row);
    return -1;
}

void KeepChange(std::vector<int>& changes, int value) {
    if (changes.empty() || changes.back() != value) changes.push_back(value);
}

}  // namespace wallcine::e2e
