// Figures over several rounds: these machines are noisy, so a figure is printed as the minimum,
// median and maximum of what the rounds measured, and a distribution (the supervision tick's
// cost) by its percentiles.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace wallcine::bench {

// The value below which `fraction` (0..1) of the values lie, by the nearest-rank rule; the
// values need not be sorted. Nothing for no values.
std::optional<double> Percentile(std::vector<double> values, double fraction);

struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
    std::size_t count = 0;
};
std::optional<Spread> SpreadOf(const std::vector<double>& values);

// One line: "<label>  min X  median Y  max Z <unit>  (n of <expected>)", each value multiplied by
// `scale` first (seconds shown as ms, say); "no figure" when there is none.
void PrintSpread(const std::string& label, const std::vector<double>& values, double scale, const char* unit,
                 std::size_t expected);

}  // namespace wallcine::bench
