#include "server/flood_control.h"

#include <algorithm>

namespace ardentis::server {

bool FloodControl::allow(Clock::time_point now) noexcept {
    if (now > last_) {
        const std::chrono::duration<double> elapsed = now - last_;
        tokens_ = std::min(burst_, tokens_ + elapsed.count() * rate_);
        last_ = now;
    }
    if (tokens_ < 1.0) {
        return false;
    }
    tokens_ -= 1.0;
    return true;
}

}  // namespace ardentis::server
