#include "server/login_throttle.h"

namespace ardentis::server {
namespace {

// Above this many remembered addresses, expired entries are dropped.
constexpr std::size_t kSweepAbove = 4096;

}  // namespace

bool LoginThrottle::allowed(std::string_view address, Clock::time_point now) {
    const auto it = entries_.find(std::string(address));
    if (it == entries_.end()) {
        return true;
    }
    if (now - it->second.since >= window_) {
        entries_.erase(it);
        return true;
    }
    return it->second.failures < limit_;
}

void LoginThrottle::failed(const std::string& address, Clock::time_point now) {
    if (entries_.size() > kSweepAbove) {
        sweep(now);
    }
    Entry& entry = entries_[address];
    if (entry.failures == 0 || now - entry.since >= window_) {
        entry = Entry{0, now};
    }
    ++entry.failures;
}

void LoginThrottle::sweep(Clock::time_point now) {
    std::erase_if(entries_, [&](const auto& item) { return now - item.second.since >= window_; });
}

}  // namespace ardentis::server
