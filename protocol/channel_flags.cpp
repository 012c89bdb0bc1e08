#include "protocol/channel_flags.h"

namespace ardentis::protocol {

FlagHold::~FlagHold() {
    if (held_) {
        flag_.store(1, std::memory_order_release);
    }
}

bool FlagHold::tryTake() noexcept {
    if (held_) {
        return true;
    }
    std::uint8_t expected = 1;
    held_ = flag_.compare_exchange_strong(expected, 0, std::memory_order_acquire,
                                          std::memory_order_relaxed);
    return held_;
}

}  // namespace ardentis::protocol
