// What a soak run prints about a process: its threads, handles and memory, read the same way for
// Wallcine.exe (another process) and for the graph loop (this process).
//
// Under Wine 8 (checked): GetProcessHandleCount is a stub that answers 0, the process list's
// HandleCount is the size of the handle table (a power of 2), and
// PROCESS_MEMORY_COUNTERS_EX::PrivateUsage is always 0. So the threads are counted from
// NtQuerySystemInformation(SystemProcessInformation) (as Toolhelp does), the handles from
// NtQuerySystemInformation(SystemExtendedHandleInformation), one entry per open handle, and the
// private bytes are PagefileUsage, which Wine fills with the process's anonymous resident memory
// plus its swap (on Windows it equals PrivateUsage). Under Wine a process's Linux threads can outnumber its Windows threads (GStreamer
// runs threads of its own): where the Linux process is found, its /proc status is read too.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace wallcine::bench {

struct ProcessFigures {
    unsigned long threads = 0;         // Windows threads
    unsigned long handles = 0;         // open handles
    std::size_t private_bytes = 0;     // PagefileUsage
    std::size_t working_set = 0;       // WorkingSetSize
    std::optional<unsigned long> linux_threads;  // "Threads:" of /proc/PID/status
};

// The figures of the process with that id and handle (PROCESS_QUERY_INFORMATION | PROCESS_VM_READ
// access, or GetCurrentProcess()); `linux_status` is the Windows path of its /proc status file
// (Z:\proc\PID\status), empty when unknown. Nothing when the system would not say.
std::optional<ProcessFigures> ReadProcessFigures(DWORD process_id, HANDLE process, const std::string& linux_status);

// Under Wine: the Linux processes running the exe of that name whose WINEPREFIX is this process's
// own (other prefixes may run a program of that name at the same time).
struct LinuxProcess {
    unsigned long pid = 0;
    std::string directory;     // Z:\proc\PID\ (a Windows path)
    std::string command_line;  // its arguments, separated by spaces
};
std::vector<LinuxProcess> FindLinuxProcesses(const std::string& exe_name);

// Under Wine: the /proc status file of the Linux process running the exe of that name whose
// WINEPREFIX is this process's own (other prefixes may run a program of that name at the same
// time); empty when there is none or not exactly one.
std::string FindLinuxStatusFile(const std::string& exe_name);

// This process's own Linux status file (empty when not under Wine).
std::string OwnLinuxStatusFile();

// One table: a header naming what is counted, then one row per report, with the change since the
// first row.
class FiguresTable {
public:
    explicit FiguresTable(std::string counted) : counted_(std::move(counted)) {}
    void PrintHeader() const;
    void PrintRow(long count, double seconds, const ProcessFigures& figures);

private:
    std::string counted_;
    std::optional<ProcessFigures> first_;
};

}  // namespace wallcine::bench
