#pragma once

#include <cstdint>
#include <vector>

namespace ardentis::loadgen {

// Send-to-receipt times in microseconds, and their percentiles.
class Latency {
  public:
    void add(std::uint32_t micros);
    [[nodiscard]] std::size_t count() const noexcept { return samples_.size(); }
    // The sample at or below which `percent` of the samples lie; 0 without samples.
    [[nodiscard]] std::uint32_t percentile(double percent);

  private:
    std::vector<std::uint32_t> samples_;
    bool sorted_ = true;
};

}  // namespace ardentis::loadgen
