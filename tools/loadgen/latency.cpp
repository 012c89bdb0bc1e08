#include "tools/loadgen/latency.h"

#include <algorithm>
#include <cmath>

namespace ardentis::loadgen {

void Latency::add(std::uint32_t micros) {
    samples_.push_back(micros);
    sorted_ = false;
}

std::uint32_t Latency::percentile(double percent) {
    if (samples_.empty()) {
        return 0;
    }
    if (!sorted_) {
        std::ranges::sort(samples_);
        sorted_ = true;
    }
    const double rank = std::ceil(percent / 100.0 * static_cast<double>(samples_.size()));
    const auto index = static_cast<std::size_t>(std::max(rank, 1.0)) - 1;
    return samples_[std::min(index, samples_.size() - 1)];
}

}  // namespace ardentis::loadgen
