#include "platform/timer_queue.h"

#include <algorithm>

namespace ardentis::platform {

class TimerQueue::QueuedTimer final : public Timer {
  public:
    QueuedTimer(TimerQueue& queue, int interval, std::function<void()> onTimer)
        : queue_(&queue), interval_(interval), onTimer_(std::move(onTimer)) {}
    ~QueuedTimer() override {
        if (queue_ != nullptr) {
            std::erase(queue_->timers_, this);
        }
    }
    QueuedTimer(const QueuedTimer&) = delete;
    QueuedTimer& operator=(const QueuedTimer&) = delete;

    [[nodiscard]] int interval() const override { return interval_; }
    void setInterval(int milliseconds) override {
        interval_ = milliseconds;
        if (enabled_) {
            restart();
        }
    }
    [[nodiscard]] bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override {
        enabled_ = enabled;
        if (enabled_) {
            restart();
        }
    }

    void restart() {
        due = queue_->clock_() + std::chrono::milliseconds(std::max(interval_, 1));
        order = ++queue_->sequence_;
    }
    void fire() {
        restart();
        // A copy: the handler may destroy this timer (the splash frees itself).
        const auto handler = onTimer_;
        if (handler) {
            handler();
        }
    }
    void detach() { queue_ = nullptr; }

    std::chrono::milliseconds due{0};
    std::uint64_t order = 0;
    bool enabled_ = false;

  private:
    TimerQueue* queue_;
    int interval_;
    std::function<void()> onTimer_;
};

TimerQueue::~TimerQueue() {
    for (QueuedTimer* timer : timers_) {
        timer->detach();
    }
}

std::unique_ptr<Timer> TimerQueue::create(int intervalMs, bool enabled,
                                          std::function<void()> onTimer) {
    auto timer = std::make_unique<QueuedTimer>(*this, intervalMs, std::move(onTimer));
    timers_.push_back(timer.get());
    timer->setEnabled(enabled);
    return timer;
}

TimerQueue::QueuedTimer* TimerQueue::first(std::chrono::milliseconds limit) const {
    QueuedTimer* next = nullptr;
    for (QueuedTimer* timer : timers_) {
        if (!timer->enabled_ || timer->due > limit) {
            continue;
        }
        if (next == nullptr || timer->due < next->due ||
            (timer->due == next->due && timer->order < next->order)) {
            next = timer;
        }
    }
    return next;
}

std::optional<std::chrono::milliseconds> TimerQueue::nextDue() const {
    const QueuedTimer* next = first(std::chrono::milliseconds::max());
    if (next == nullptr) {
        return std::nullopt;
    }
    return next->due;
}

std::optional<std::chrono::milliseconds> TimerQueue::fireNext(std::chrono::milliseconds limit) {
    QueuedTimer* next = first(limit);
    if (next == nullptr) {
        return std::nullopt;
    }
    const auto due = next->due;
    next->fire();
    return due;
}

}  // namespace ardentis::platform
