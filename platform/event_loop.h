#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace ardentis::platform {

// A window-thread timer. Enabling it starts a full interval anew; while enabled it fires
// about once per interval, late and coalesced under load, so ticks are never counted as time.
class Timer {
  public:
    virtual ~Timer() = default;

    [[nodiscard]] virtual int interval() const = 0;
    virtual void setInterval(int milliseconds) = 0;
    [[nodiscard]] virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
};

// The window thread's loop: timers, work posted from other threads, and the clock that
// bounded waits read. Socket events reach the window thread through the same loop.
class EventLoop {
  public:
    virtual ~EventLoop() = default;

    // The timer stops firing when the returned object is destroyed.
    [[nodiscard]] virtual std::unique_ptr<Timer> createTimer(int intervalMs, bool enabled,
                                                             std::function<void()> onTimer) = 0;
    // Runs `work` on the window thread; callable from any thread.
    virtual void post(std::function<void()> work) = 0;
    // A monotonic clock for bounded waits.
    [[nodiscard]] virtual std::chrono::milliseconds now() const = 0;
};

}  // namespace ardentis::platform
