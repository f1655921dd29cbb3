#include "cpu_clocks.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "win/code_page.h"

namespace wallcine::bench {

double WallSeconds() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value;
        ::QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency);
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
    auto ticks = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

std::optional<HostProcess> ParseHostProcess(const std::wstring& argument) {
    const size_t equals = argument.find(L'=');
    if (equals == 0 || equals == std::wstring::npos) return std::nullopt;
    wchar_t* end = nullptr;
    const unsigned long pid = std::wcstoul(argument.c_str() + equals + 1, &end, 10);
    if (*end != L'\0' || pid == 0) return std::nullopt;
    return HostProcess{argument.substr(0, equals), pid};
}

namespace {

// User + system seconds from a /proc stat file (fields 14 and 15, in ticks of 1/100 s).
std::optional<double> StatCpuSeconds(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    char buffer[1024] = {};
    const size_t length = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    // The command name (field 2) is in parentheses and may hold spaces: count from its end.
    const std::string stat(buffer, length);
    const size_t name_end = stat.rfind(')');
    if (name_end == std::string::npos) return std::nullopt;
    unsigned long long user = 0, system = 0;
    // After ")": state ppid pgrp session tty_nr tpgid flags minflt cminflt majflt cmajflt utime stime.
    if (std::sscanf(stat.c_str() + name_end + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system) != 2)
        return std::nullopt;
    return static_cast<double>(user + system) / 100.0;
}

}  // namespace

std::optional<double> HostProcessCpuSeconds(unsigned long pid) {
    return StatCpuSeconds("Z:\\proc\\" + std::to_string(pid) + "\\stat");
}

std::map<std::string, double> ThreadCpuSecondsByName(unsigned long pid) {
    std::map<std::string, double> by_name;
    const std::string tasks = "Z:\\proc\\" + std::to_string(pid) + "\\task\\";
    WIN32_FIND_DATAA entry{};
    HANDLE search = ::FindFirstFileA((tasks + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return by_name;
    do {
        const std::string task = entry.cFileName;
        if (task.empty() || task[0] == '.') continue;
        const auto seconds = StatCpuSeconds(tasks + task + "\\stat");
        char name[64] = {};
        if (std::FILE* file = std::fopen((tasks + task + "\\comm").c_str(), "rb")) {
            if (!std::fgets(name, sizeof name, file)) name[0] = '\0';
            std::fclose(file);
        }
        std::string thread = name;
        while (!thread.empty() && (thread.back() == '\n' || thread.back() == '\r')) thread.pop_back();
        if (seconds) by_name[thread.empty() ? "?" : thread] += *seconds;
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return by_name;
}

namespace {
constexpr DWORD kWakeMs = 20;
}  // namespace

std::vector<std::pair<std::string, double>> ThreadCpuPercent(const std::map<std::string, double>& before,
                                                             const std::map<std::string, double>& after,
                                                             double wall) {
    std::vector<std::pair<std::string, double>> percent;
    for (const auto& [name, seconds] : after) {
        const auto earlier = before.find(name);
        const double used = seconds - (earlier == before.end() ? 0.0 : earlier->second);
        if (used > 0 && wall > 0) percent.emplace_back(name, 100.0 * used / wall);
    }
    std::sort(percent.begin(), percent.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    return percent;
}

bool PumpFor(double seconds) {
    const double end = WallSeconds() + seconds;
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return false;
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        const double left = end - WallSeconds();
        if (left <= 0) return true;
        // Awake at least every 20 ms, as Wallcine's loop is with its supervision tick: under Wine
        // what a renderer draws reaches the screen only when the process waits for messages, and
        // a loop that slept until the end would show a third of the frames.
        const DWORD wait = std::min<DWORD>(static_cast<DWORD>(left * 1000) + 1, kWakeMs);
        ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

std::optional<Phase> Measure(double seconds, const std::vector<HostProcess>& hosts,
                             const std::function<PlaybackReading()>& read) {
    struct Snapshot {
        PlaybackReading playback;
        std::vector<std::optional<double>> host_cpu;
        double cpu = 0;
        double wall = 0;
    };
    const auto take = [&] {
        Snapshot snapshot{read(), {}};
        for (const auto& host : hosts) snapshot.host_cpu.push_back(HostProcessCpuSeconds(host.pid));
        // The two clocks last, back to back, so the figures cover the same interval.
        snapshot.cpu = ProcessCpuSeconds();
        snapshot.wall = WallSeconds();
        return snapshot;
    };
    const Snapshot start = take();
    if (!PumpFor(seconds)) return std::nullopt;
    const Snapshot end = take();
    Phase phase;
    phase.wall = end.wall - start.wall;
    phase.cpu = end.cpu - start.cpu;
    phase.played = end.playback.position - start.playback.position;
    if (start.playback.frames_drawn && end.playback.frames_drawn)
        phase.frames_drawn = *end.playback.frames_drawn - *start.playback.frames_drawn;
    for (size_t i = 0; i < start.host_cpu.size(); ++i)
        phase.host_cpu.push_back(start.host_cpu[i] && end.host_cpu[i]
                                     ? std::optional<double>(*end.host_cpu[i] - *start.host_cpu[i])
                                     : std::nullopt);
    return phase;
}

void PrintHeader(const char* mode_label, const std::vector<HostProcess>& hosts) {
    std::printf("%-5s  %-10s  %7s  %8s  %6s  %6s  %6s", "round", mode_label, "seconds", "cpu ms", "cpu %", "played",
                "frames");
    for (const auto& host : hosts) std::printf("  %12s", (win::WideToAnsi(host.label) + " %").c_str());
    std::printf("\n");
    std::fflush(stdout);
}

void PrintPhase(const Phase& phase) {
    std::printf("%-5d  %-10s  %7.2f  %8.0f  %6.1f  %6.2f  ", phase.round, phase.mode.c_str(), phase.wall,
                phase.cpu * 1000.0, phase.CpuPercent(), phase.played);
    if (phase.frames_drawn)
        std::printf("%6d", *phase.frames_drawn);
    else
        std::printf("%6s", "-");
    for (const auto& host : phase.host_cpu) {
        if (host)
            std::printf("  %12.1f", phase.wall > 0 ? 100.0 * *host / phase.wall : 0.0);
        else
            std::printf("  %12s", "-");
    }
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace wallcine::bench
