#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ardentis::server {

// Failed log-ins per address: after `limit` failures within `window`, that address is
// refused until the window has passed.
class LoginThrottle {
  public:
    using Clock = std::chrono::steady_clock;

    LoginThrottle(std::size_t limit, Clock::duration window) : limit_(limit), window_(window) {}

    [[nodiscard]] bool allowed(std::string_view address, Clock::time_point now);
    void failed(const std::string& address, Clock::time_point now);

  private:
    struct Entry {
        std::size_t failures = 0;
        Clock::time_point since;
    };
    void sweep(Clock::time_point now);

    std::size_t limit_;
    Clock::duration window_;
    std::unordered_map<std::string, Entry> entries_;
};

}  // namespace ardentis::server
