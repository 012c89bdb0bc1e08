#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "platform/event_loop.h"
#include "platform/posix/posix_client_socket.h"
#include "platform/posted_work.h"
#include "platform/timer_queue.h"

namespace ardentis::platform {

// The window-thread loop of a headless client on POSIX: real time, real sockets. The
// thread that runs it is the client's window thread; sockets pumped here must be owned by it.
class PosixEventLoop final : public EventLoop {
  public:
    PosixEventLoop() = default;

    [[nodiscard]] std::unique_ptr<Timer> createTimer(int intervalMs, bool enabled,
                                                     std::function<void()> onTimer) override {
        return timers_.create(intervalMs, enabled, std::move(onTimer));
    }
    void post(std::function<void()> work) override { posted_.post(std::move(work)); }
    [[nodiscard]] std::chrono::milliseconds now() const override;

    // The loop raises this socket's events; it must outlive its registration.
    void addSocket(PosixClientSocket& socket) { sockets_.push_back(&socket); }
    void removeSocket(PosixClientSocket& socket);

    // One round: due timers, posted work, socket events. Waits up to `wait` for a socket
    // when nothing else was due. Returns whether anything ran.
    bool runOnce(std::chrono::milliseconds wait);
    // Runs rounds until `done` holds or `limit` has passed; returns whether `done` held.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

  private:
    TimerQueue timers_{[this] { return now(); }};
    std::vector<PosixClientSocket*> sockets_;  // not owned
    PostedWork posted_;
};

// Runs several loops on the calling thread, round by round, until `done` holds or `limit`
// has passed: the end-to-end tests drive several headless clients from one thread.
bool runLoopsUntil(const std::vector<PosixEventLoop*>& loops, const std::function<bool()>& done,
                   std::chrono::milliseconds limit);

}  // namespace ardentis::platform
