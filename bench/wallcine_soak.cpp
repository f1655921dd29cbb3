// Soak of the real Wallcine.exe: it plays a playlist on the desktop while this driver makes it
// change item N times, and prints its threads, handles and memory every K changes, so growth
// per change of item shows.
//
//   wallcine_soak_bench [--switches N] [--report-every K] WALLCINE_EXE PLAYLIST
//
// Changes of item are counted from the playing control window's title label, which Wallcine
// sets to the new item's title once the item plays (it then scrolls: the caption is a rotation
// of the title). As soon as a new item shows, the driver posts play-next (the message the
// supervision posts at an item's end) to the main window; an item that ends on its own changes
// too, and every change seen counts, by how many rows it moved. At the end the tray menu's Exit
// is sent and the process must end.
//
// Exit code: 0 with figures printed; 1 when the run failed (Wallcine did not start, play, change
// item, crashed or did not exit); 2 for bad arguments. No figure and no time fails the run: the
// waits only bound a run that would otherwise hang.
#include <windows.h>

#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "arguments.h"
#include "child_process.h"
#include "core/playlist_file.h"
#include "core/time_text.h"
#include "process_figures.h"
#include "win/code_page.h"

namespace {

namespace app = wallcine::app;
namespace win = wallcine::win;
using wallcine::bench::FiguresTable;

// Bounds on waits for Wallcine, generous for a busy machine under Wine.
constexpr DWORD kStartPatienceMs = 60000;
constexpr DWORD kSwitchPatienceMs = 60000;
constexpr DWORD kExitPatienceMs = 60000;
constexpr DWORD kPollMs = 10;

struct Options {
    long switches = 1000;
    long report_every = 100;
    std::string exe;
    std::string playlist;
};

std::optional<Options> ParseOptions() {
    Options options;
    const auto paths = wallcine::bench::ReadArguments(
        wallcine::bench::CommandLineArguments(),
        {{L"--switches", wallcine::bench::Whole(options.switches, 1, LONG_MAX)},
         {L"--report-every", wallcine::bench::Whole(options.report_every, 1, LONG_MAX)}},
        2, 2);
    if (!paths) return std::nullopt;
    options.exe = win::WideToAnsi((*paths)[0]);
    options.playlist = win::WideToAnsi((*paths)[1]);
    return options;
}

double SecondsSince(DWORD start) { return (::GetTickCount() - start) / 1000.0; }

// --- Wallcine's process and windows ------------------------------------------------------------

class WallcineUnderSoak {
public:
    WallcineUnderSoak(const std::string& exe, const std::string& playlist)
        : process_(win::AnsiToWide(exe), {win::AnsiToWide(playlist)}) {}

    bool Started() const noexcept { return process_.Started(); }
    DWORD Id() const noexcept { return process_.Id(); }
    HANDLE Handle() const noexcept { return process_.Handle(); }
    bool Running() const { return process_.Running(); }
    DWORD ExitCode() const { return process_.ExitCode(); }

    // The process's top-level window of that class, or nullptr.
    HWND Window(const char* class_name) const { return process_.Window(win::AnsiToWide(class_name).c_str()); }

    // The texts of the message boxes the process shows (an error stops it changing item).
    std::string MessageBoxTexts() const {
        std::string texts;
        for (HWND box = nullptr; (box = ::FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr;) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(box, &owner);
            if (owner != Id() || !::IsWindowVisible(box)) continue;
            for (HWND child = nullptr; (child = ::FindWindowExA(box, child, "Static", nullptr)) != nullptr;)
                texts += " \"" + Text(child) + "\"";
        }
        return texts;
    }

    static std::string Text(HWND window) {
        char text[1024] = {};
        ::GetWindowTextA(window, text, sizeof text);
        return text;
    }

private:
    wallcine::bench::ChildProcess process_;
};

// Polls until `condition` holds; false when the process ended or the time ran out first.
template <class Condition>
bool WaitFor(const WallcineUnderSoak& wallcine, DWORD patience_ms, Condition&& condition) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (!wallcine.Running() || ::GetTickCount() - start > patience_ms) return false;
        ::Sleep(kPollMs);
    }
}

// --- Which row plays ---------------------------------------------------------------------------

// The row whose title the label shows, as scrolled by any amount; nothing when none matches.
class TitleMatcher {
public:
    explicit TitleMatcher(std::vector<std::string> rows) : rows_(std::move(rows)) {
        for (const auto& row : rows_) titles_.push_back(wallcine::TitleText(row));
    }
    // Every row needs a title of its own, or a change could not be seen.
    bool RowsDistinct() const {
        for (size_t a = 0; a < titles_.size(); ++a)
            for (size_t b = a + 1; b < titles_.size(); ++b)
                if (titles_[a] == titles_[b]) return false;
        return true;
    }
    int Count() const { return static_cast<int>(rows_.size()); }
    std::optional<int> RowShown(const std::string& caption) const {
        for (size_t row = 0; row < titles_.size(); ++row) {
            const std::string& title = titles_[row];
            if (caption.size() == title.size() && (title + title).find(caption) != std::string::npos)
                return static_cast<int>(row);
        }
        return std::nullopt;
    }

private:
    std::vector<std::string> rows_;
    std::vector<std::string> titles_;
};

// --- The run -----------------------------------------------------------------------------------

class SoakRun {
public:
    SoakRun(const Options& options, const TitleMatcher& titles, WallcineUnderSoak& wallcine)
        : options_(options), titles_(titles), wallcine_(wallcine), table_("switches") {}

    int Run() {
        if (!WaitUntilOnDesktop()) return 1;
        linux_status_ = wallcine::bench::FindLinuxStatusFile("Wallcine.exe");
        std::printf("Wallcine.exe (process %lu, Linux status %s): %ld changes of item through %d rows\n",
                    static_cast<unsigned long>(wallcine_.Id()), linux_status_.empty() ? "not found" : linux_status_.c_str(),
                    options_.switches, titles_.Count());
        table_.PrintHeader();
        start_ = ::GetTickCount();
        if (!Report(0)) return 1;
        long switches = 0;
        long next_report = options_.report_every;
        while (switches < options_.switches) {
            ::PostMessageA(main_, app::kWmPlayNext, 0, 0);
            const auto moved = WaitForNextItem();
            if (!moved) return 1;
            switches += *moved;
            while (switches >= next_report) {
                if (!Report(switches)) return 1;
                next_report += options_.report_every;
            }
        }
        if (switches % options_.report_every != 0 && !Report(switches)) return 1;
        return Exit();
    }

private:
    // The four windows are made, the first item plays and, a second after the start, the video
    // is on the desktop (Wine has no shell layer: Wallcine's own layer window shows it).
    bool WaitUntilOnDesktop() {
        const bool ready = WaitFor(wallcine_, kStartPatienceMs, [&] {
            main_ = wallcine_.Window("TForm1");
            const HWND playing_control = wallcine_.Window("TForm2");
            title_ = playing_control ? ::GetDlgItem(playing_control, app::kIdTitle) : nullptr;
            const HWND layer = wallcine_.Window("TWallpaperLayer");
            return main_ && title_ && wallcine_.Window("TForm4") && layer && ::IsWindowVisible(layer) && RowShown();
        });
        if (!ready) Fail("Wallcine did not put the video on the desktop");
        else row_ = *RowShown();
        return ready;
    }

    std::optional<int> RowShown() const { return titles_.RowShown(WallcineUnderSoak::Text(title_)); }

    // Rows moved forward (1 normally; 2 when an item also ended on its own), or nothing on failure.
    std::optional<long> WaitForNextItem() {
        std::optional<int> shown;
        const bool changed = WaitFor(wallcine_, kSwitchPatienceMs, [&] {
            shown = RowShown();
            return shown && *shown != row_;
        });
        if (!changed) {
            Fail("Wallcine did not change item");
            return std::nullopt;
        }
        const long moved = (*shown - row_ + titles_.Count()) % titles_.Count();
        row_ = *shown;
        return moved;
    }

    bool Report(long switches) {
        const auto figures = wallcine::bench::ReadProcessFigures(wallcine_.Id(), wallcine_.Handle(), linux_status_);
        if (!figures) {
            Fail("cannot read Wallcine's figures");
            return false;
        }
        table_.PrintRow(switches, SecondsSince(start_), *figures);
        return true;
    }

    // The tray menu's Exit, as a click on it sends it; the process must then end by itself.
    int Exit() {
        ::PostMessageA(main_, WM_COMMAND, MAKEWPARAM(app::kCmdExit, 0), 0);
        if (::WaitForSingleObject(wallcine_.Handle(), kExitPatienceMs) != WAIT_OBJECT_0) {
            Fail("Wallcine did not exit after the tray menu's Exit");
            return 1;
        }
        const DWORD code = wallcine_.ExitCode();
        std::printf("Wallcine exited with code %lu after %.1f s\n", static_cast<unsigned long>(code),
                    SecondsSince(start_));
        return code == 0 ? 0 : 1;
    }

    void Fail(const char* what) const {
        if (!wallcine_.Running())
            std::fprintf(stderr, "%s: Wallcine ended (exit code 0x%08lX)\n", what,
                         static_cast<unsigned long>(wallcine_.ExitCode()));
        else
            std::fprintf(stderr, "%s (message boxes:%s)\n", what, wallcine_.MessageBoxTexts().c_str());
    }

    const Options& options_;
    const TitleMatcher& titles_;
    WallcineUnderSoak& wallcine_;
    FiguresTable table_;
    std::string linux_status_;
    HWND main_ = nullptr;
    HWND title_ = nullptr;
    int row_ = 0;
    DWORD start_ = 0;
};

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    const std::optional<Options> options = ParseOptions();
    if (!options) {
        std::fprintf(stderr, "usage: wallcine_soak_bench [--switches N] [--report-every K] WALLCINE_EXE PLAYLIST\n");
        return 2;
    }
    std::vector<std::string> rows;
    try {
        rows = wallcine::ReadPlaylistFile(options->playlist);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cannot read %s: %s\n", options->playlist.c_str(), error.what());
        return 1;
    }
    const TitleMatcher titles(rows);
    if (titles.Count() < 2 || !titles.RowsDistinct()) {
        std::fprintf(stderr, "the playlist needs two rows or more, each a different file\n");
        return 1;
    }
    WallcineUnderSoak wallcine(options->exe, options->playlist);
    if (!wallcine.Started()) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", options->exe.c_str(), ::GetLastError());
        return 1;
    }
    return SoakRun(*options, titles, wallcine).Run();
}
