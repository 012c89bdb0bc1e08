#pragma once

#include <chrono>

namespace ardentis::server {

// A token bucket: `burst` records at once, then `rate` records a second.
class FloodControl {
  public:
    using Clock = std::chrono::steady_clock;

    FloodControl(double rate, double burst, Clock::time_point now)
        : rate_(rate), burst_(burst), tokens_(burst), last_(now) {}

    // True when a record may pass now; takes one token.
    [[nodiscard]] bool allow(Clock::time_point now) noexcept;

  private:
    double rate_;
    double burst_;
    double tokens_;
    Clock::time_point last_;
};

}  // namespace ardentis::server
