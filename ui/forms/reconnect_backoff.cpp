#include "ui/forms/reconnect_backoff.h"

#include <algorithm>
#include <cstdint>

namespace ardentis::forms {

std::chrono::milliseconds ReconnectBackoff::next() {
    // Doubling stops long before the shift could overflow.
    const int doublings = std::min(tries_, 6);
    ++tries_;
    const std::int64_t ceiling =
        std::min<std::int64_t>(kFirst.count() << doublings, kLongest.count());
    std::uniform_int_distribution<std::int64_t> half(ceiling / 2, ceiling);
    return std::chrono::milliseconds(half(random_));
}

}  // namespace ardentis::forms
