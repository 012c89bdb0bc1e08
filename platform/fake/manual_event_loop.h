#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "platform/event_loop.h"
#include "platform/posted_work.h"
#include "platform/timer_queue.h"

namespace ardentis::platform {

// A deterministic event loop whose clock the test advances. Timers fire in due order
// while advance() passes their due times; posted work runs in runPosted() (and advance()).
class ManualEventLoop final : public EventLoop {
  public:
    ManualEventLoop() = default;

    [[nodiscard]] std::unique_ptr<Timer> createTimer(int intervalMs, bool enabled,
                                                     std::function<void()> onTimer) override {
        return timers_.create(intervalMs, enabled, std::move(onTimer));
    }
    void post(std::function<void()> work) override { posted_.post(std::move(work)); }
    [[nodiscard]] std::chrono::milliseconds now() const override { return now_; }

    // Moves the clock forward, firing every timer that falls due on the way, in order.
    void advance(std::chrono::milliseconds duration);
    // Runs the work posted so far (and what that work posts in turn). Returns how many ran.
    int runPosted() { return posted_.runAll(); }

  private:
    std::chrono::milliseconds now_{0};
    TimerQueue timers_{[this] { return now_; }};
    PostedWork posted_;
};

}  // namespace ardentis::platform
