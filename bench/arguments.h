// The command line of a bench program, read the one way they all share: options the program
// knows ("--seconds 10", "--own-clock"), anywhere on the line, and paths. Each program says what
// its options are and prints its own usage when the line is wrong.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cpu_clocks.h"

namespace wallcine::bench {

// The process's arguments after the program's name, as typed whatever the code page.
std::vector<std::wstring> CommandLineArguments();

// How one option is read: a flag takes no value; otherwise `read` takes the value and answers
// whether it was a good one.
struct Option {
    bool takes_value = true;
    std::function<bool(const std::wstring& value)> read;
};
// The paths in order, or nothing when an argument starting with "--" is no known option, a value
// is missing or bad, or the number of paths is outside [min_paths, max_paths].
std::optional<std::vector<std::wstring>> ReadArguments(const std::vector<std::wstring>& arguments,
                                                       const std::map<std::wstring, Option>& options,
                                                       size_t min_paths, size_t max_paths);

// Options of the usual kinds.
Option Flag(bool& set);
Option Number(double& value, double min, double max);  // a decimal number within [min, max]
Option Whole(long& value, long min, long max);         // a whole number within [min, max]
Option Whole(int& value, int min, int max);
Option Host(std::vector<HostProcess>& hosts);          // LABEL=PID, repeatable

}  // namespace wallcine::bench
