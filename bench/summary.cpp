#include "summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace wallcine::bench {

std::optional<double> Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least `fraction` of the values at or below it.
    const double rank = std::ceil(std::clamp(fraction, 0.0, 1.0) * static_cast<double>(values.size()));
    const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
    return values[std::min(index, values.size() - 1)];
}

std::optional<Spread> SpreadOf(const std::vector<double>& values) {
    if (values.empty()) return std::nullopt;
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    return Spread{sorted.front(), median, sorted.back(), n};
}

void PrintSpread(const std::string& label, const std::vector<double>& values, double scale, const char* unit,
                 std::size_t expected) {
    const auto spread = SpreadOf(values);
    if (!spread) {
        std::printf("  %-34s no figure (0 of %zu)\n", label.c_str(), expected);
    } else {
        std::printf("  %-34s min %9.2f  median %9.2f  max %9.2f %-4s (%zu of %zu)\n", label.c_str(),
                    spread->min * scale, spread->median * scale, spread->max * scale, unit, spread->count, expected);
    }
    std::fflush(stdout);
}

}  // namespace wallcine::bench
