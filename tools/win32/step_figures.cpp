#include "tools/win32/step_figures.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace ardentis::bench {
namespace {

constexpr const char* kFormat = "%-40s %7s %9s %9s %9s %9s";
constexpr const char* kRowFormat = "%-40s %7zu %9.1f %9.1f %9.1f %9.1f";

}  // namespace

StepFigures::StepFigures(std::string name, std::size_t expected) : name_(std::move(name)) {
    samples_.reserve(expected);
}

std::string StepFigures::header() {
    char text[160];
    std::snprintf(text, sizeof(text), kFormat, "microseconds per step", "n", "min", "median", "p99",
                  "mean");
    return text;
}

std::string StepFigures::line() {
    if (samples_.empty()) {
        return name_ + ": no samples";
    }
    std::ranges::sort(samples_);
    const std::size_t n = samples_.size();
    const double median = samples_[n / 2];
    const double p99 = samples_[std::min(n - 1, (n * 99) / 100)];
    const double mean =
        std::accumulate(samples_.begin(), samples_.end(), 0.0) / static_cast<double>(n);
    char text[200];
    std::snprintf(text, sizeof(text), kRowFormat, name_.c_str(), n, samples_.front(), median, p99,
                  mean);
    return text;
}

}  // namespace ardentis::bench
