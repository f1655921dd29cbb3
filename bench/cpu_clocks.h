// What a CPU bench needs around playback: the process's CPU time and the wall clock, the CPU of
// Linux processes under Wine (the X server, wineserver) read from /proc, a message pump that runs
// for a while, one measured stretch of play, and its row in a table.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace wallcine::bench {

double WallSeconds();
// User + kernel time of every thread of this process (the graph's streaming threads included).
double ProcessCpuSeconds();

// A Linux process whose CPU is reported beside ours ("Xvfb=1234").
struct HostProcess {
    std::wstring label;
    unsigned long pid = 0;
};
std::optional<HostProcess> ParseHostProcess(const std::wstring& argument);
// User + system seconds from /proc/PID/stat; nothing when it cannot be read (not under Wine).
std::optional<double> HostProcessCpuSeconds(unsigned long pid);

// CPU seconds of each thread of a Linux process, summed by thread name (/proc/PID/task/*/comm:
// Wine's own threads are named, Windows threads carry the process's name); empty when it cannot
// be read.
std::map<std::string, double> ThreadCpuSecondsByName(unsigned long pid);
// What each thread name used between two such readings `wall` seconds apart, as % of one core,
// largest first; names that used nothing are left out.
std::vector<std::pair<std::string, double>> ThreadCpuPercent(const std::map<std::string, double>& before,
                                                             const std::map<std::string, double>& after,
                                                             double wall);

// Dispatches this thread's messages (the graph's events arrive as one) for `seconds`; false when
// a WM_QUIT came.
bool PumpFor(double seconds);

struct PlaybackReading {
    double position = 0;
    std::optional<int> frames_drawn;
};

struct Phase {
    int round = 0;
    std::string mode;
    double wall = 0;
    double cpu = 0;
    double played = 0;
    std::optional<int> frames_drawn;
    std::vector<std::optional<double>> host_cpu;
    double CpuPercent() const { return wall > 0 ? 100.0 * cpu / wall : 0.0; }
};

// Plays on for `seconds` (pumping messages) and records what it cost; nothing when stopped early.
std::optional<Phase> Measure(double seconds, const std::vector<HostProcess>& hosts,
                             const std::function<PlaybackReading()>& read);

void PrintHeader(const char* mode_label, const std::vector<HostProcess>& hosts);
void PrintPhase(const Phase& phase);

}  // namespace wallcine::bench
