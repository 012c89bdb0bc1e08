#pragma once

#include <chrono>
#include <cstdint>
#include <random>

namespace ardentis::forms {

// How long to wait before each try to reach the lobby server again: the first within 2 s,
// then twice as long each time up to a minute, each wait drawn at random from its upper half
// so that a whole lobby dropped at once does not come back at once.
class ReconnectBackoff {
  public:
    explicit ReconnectBackoff(std::uint32_t seed) : random_(seed) {}

    [[nodiscard]] std::chrono::milliseconds next();
    // The connection is back: the next drop starts from the shortest wait.
    void reset() noexcept { tries_ = 0; }
    [[nodiscard]] int tries() const noexcept { return tries_; }

    static constexpr std::chrono::milliseconds kFirst{2000};
    static constexpr std::chrono::milliseconds kLongest{60000};

  private:
    std::minstd_rand random_;
    int tries_ = 0;
};

}  // namespace ardentis::forms
