#include "process_figures.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "win/wine.h"

namespace wallcine::bench {

namespace {

constexpr NTSTATUS kStatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

// The system's answer to one NtQuerySystemInformation class, in a buffer grown until it fits.
std::optional<std::vector<unsigned char>> QuerySystem(SYSTEM_INFORMATION_CLASS what) {
    std::vector<unsigned char> buffer(256 * 1024);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status =
            ::NtQuerySystemInformation(what, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kStatusInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(needed + 64 * 1024, buffer.size() * 2));
            continue;
        }
        if (status < 0) return std::nullopt;
        return buffer;
    }
}

std::optional<unsigned long> ThreadCount(DWORD process_id) {
    const auto buffer = QuerySystem(SystemProcessInformation);
    if (!buffer) return std::nullopt;
    for (std::size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer->data() + offset);
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId)) == process_id)
            return entry->NumberOfThreads;
        if (entry->NextEntryOffset == 0) return std::nullopt;
        offset += entry->NextEntryOffset;
    }
}

// SystemExtendedHandleInformation: every open handle of the system, one entry each. (The process
// list's HandleCount is no count under Wine 8: it gives the size of the handle table, a power of 2.)
constexpr auto kSystemExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
struct HandleEntry {
    void* object;
    ULONG_PTR process_id;
    ULONG_PTR handle;
    ULONG granted_access;
    USHORT creator_back_trace_index;
    USHORT object_type_index;
    ULONG attributes;
    ULONG reserved;
};
struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

std::optional<unsigned long> HandleCount(DWORD process_id) {
    const auto buffer = QuerySystem(kSystemExtendedHandleInformation);
    if (!buffer) return std::nullopt;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer->data());
    unsigned long handles = 0;
    for (ULONG_PTR index = 0; index < table->count; ++index)
        if (table->entries[index].process_id == process_id) ++handles;
    return handles;
}

// A whole small file (the /proc files say they are empty: read to the end).
std::optional<std::string> ReadSmallFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    std::string text;
    char chunk[4096];
    for (std::size_t read; (read = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, read);
    std::fclose(file);
    return text;
}

std::optional<unsigned long> LinuxThreads(const std::string& status_path) {
    if (status_path.empty()) return std::nullopt;
    const auto status = ReadSmallFile(status_path);
    if (!status) return std::nullopt;
    const std::size_t at = status->find("\nThreads:");
    unsigned long threads = 0;
    if (at == std::string::npos || std::sscanf(status->c_str() + at, "\nThreads: %lu", &threads) != 1)
        return std::nullopt;
    return threads;
}

std::string OwnWinePrefix() {
    char prefix[MAX_PATH * 2] = {};
    const DWORD length = ::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    return length > 0 && length < sizeof prefix ? std::string(prefix, length) : std::string();
}

double Megabytes(std::size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

std::optional<ProcessFigures> ReadProcessFigures(DWORD process_id, HANDLE process, const std::string& linux_status) {
    ProcessFigures figures;
    const auto threads = ThreadCount(process_id);
    const auto handles = HandleCount(process_id);
    if (!threads || !handles) return std::nullopt;
    figures.threads = *threads;
    figures.handles = *handles;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        return std::nullopt;
    figures.private_bytes = memory.PagefileUsage;
    figures.working_set = memory.WorkingSetSize;
    figures.linux_threads = LinuxThreads(linux_status);
    return figures;
}

std::vector<LinuxProcess> FindLinuxProcesses(const std::string& exe_name) {
    // Wine names the Linux process after the exe; the kernel keeps 15 characters of a name.
    const std::string command = exe_name.substr(0, 15);
    std::vector<LinuxProcess> found;
    if (!win::RunningUnderWine()) return found;
    const std::string prefix = OwnWinePrefix();
    if (prefix.empty()) return found;
    // environ holds NUL-separated entries: one of them is exactly this.
    const std::string prefix_entry = std::string("WINEPREFIX=") + prefix;
    WIN32_FIND_DATAA entry{};
    HANDLE search = ::FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        const std::string pid = entry.cFileName;
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        const std::string directory = "Z:\\proc\\" + pid + "\\";
        const auto name = ReadSmallFile(directory + "comm");
        if (!name || name->substr(0, name->find('\n')) != command) continue;
        const auto environment = ReadSmallFile(directory + "environ");
        if (!environment) continue;
        const std::string entries = std::string(1, '\0') + *environment + std::string(1, '\0');
        if (entries.find(std::string(1, '\0') + prefix_entry + std::string(1, '\0')) == std::string::npos) continue;
        // The arguments, NUL-separated: shown with spaces.
        std::string command_line = ReadSmallFile(directory + "cmdline").value_or("");
        std::replace(command_line.begin(), command_line.end(), '\0', ' ');
        found.push_back({std::stoul(pid), directory, std::move(command_line)});
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return found;
}

std::string FindLinuxStatusFile(const std::string& exe_name) {
    const auto found = FindLinuxProcesses(exe_name);
    return found.size() == 1 ? found.front().directory + "status" : std::string();
}

std::string OwnLinuxStatusFile() {
    // Not /proc/self: under Wine the wineserver opens files, so "self" would be the server.
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return {};
    const std::string exe(path, length);
    return FindLinuxStatusFile(exe.substr(exe.find_last_of("\\/") + 1));
}

void FiguresTable::PrintHeader() const {
    std::printf("%8s  %8s  %7s  %7s  %8s  %9s  %9s  %8s  %8s  %9s\n", counted_.c_str(), "seconds", "threads",
                "linux", "handles", "private", "working", "+threads", "+handles", "+private");
    std::printf("%8s  %8s  %7s  %7s  %8s  %9s  %9s  %8s  %8s  %9s\n", "", "", "", "threads", "", "MB", "set MB", "",
                "", "MB");
    std::fflush(stdout);
}

void FiguresTable::PrintRow(long count, double seconds, const ProcessFigures& figures) {
    if (!first_) first_ = figures;
    char linux_threads[16] = "-";
    if (figures.linux_threads) std::snprintf(linux_threads, sizeof linux_threads, "%lu", *figures.linux_threads);
    std::printf("%8ld  %8.1f  %7lu  %7s  %8lu  %9.1f  %9.1f  %+8ld  %+8ld  %+9.1f\n", count, seconds, figures.threads,
                linux_threads, figures.handles, Megabytes(figures.private_bytes), Megabytes(figures.working_set),
                static_cast<long>(figures.threads) - static_cast<long>(first_->threads),
                static_cast<long>(figures.handles) - static_cast<long>(first_->handles),
                Megabytes(figures.private_bytes) - Megabytes(first_->private_bytes));
    std::fflush(stdout);
}

}  // namespace wallcine::bench
