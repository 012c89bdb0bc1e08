#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/event_loop.h"

namespace ardentis::platform {

// The timers of a loop that keeps its own time (the test loop and the POSIX loop): each
// timer knows when it is next due; the loop fires the due ones in order.
class TimerQueue {
  public:
    using Clock = std::function<std::chrono::milliseconds()>;

    explicit TimerQueue(Clock clock) : clock_(std::move(clock)) {}
    ~TimerQueue();
    TimerQueue(const TimerQueue&) = delete;
    TimerQueue& operator=(const TimerQueue&) = delete;

    [[nodiscard]] std::unique_ptr<Timer> create(int intervalMs, bool enabled,
                                                std::function<void()> onTimer);
    // When the next enabled timer is due, if any is.
    [[nodiscard]] std::optional<std::chrono::milliseconds> nextDue() const;
    // Fires the first timer due at or before `limit`; returns its due time, or nothing.
    std::optional<std::chrono::milliseconds> fireNext(std::chrono::milliseconds limit);

  private:
    class QueuedTimer;

    [[nodiscard]] QueuedTimer* first(std::chrono::milliseconds limit) const;

    Clock clock_;
    std::vector<QueuedTimer*> timers_;  // not owned; each timer removes itself
    std::uint64_t sequence_ = 0;
};

}  // namespace ardentis::platform
