#include "platform/posix/posix_event_loop.h"

#include <algorithm>
#include <thread>

namespace ardentis::platform {

using std::chrono::milliseconds;

milliseconds PosixEventLoop::now() const {
    return std::chrono::duration_cast<milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

void PosixEventLoop::removeSocket(PosixClientSocket& socket) {
    std::erase(sockets_, &socket);
}

bool PosixEventLoop::runOnce(milliseconds wait) {
    bool ran = false;
    const milliseconds start = now();
    while (timers_.fireNext(start)) {
        ran = true;
    }
    ran = posted_.runAll() > 0 || ran;
    // A copy: a handler may add or remove sockets.
    const auto sockets = sockets_;
    for (PosixClientSocket* socket : sockets) {
        while (socket->pump(milliseconds(0))) {
            ran = true;
        }
    }
    if (ran || wait <= milliseconds(0)) {
        return ran;
    }
    // Idle: wait on the sockets, but never past the next timer.
    milliseconds budget = wait;
    if (const auto due = timers_.nextDue()) {
        budget = std::clamp(*due - now(), milliseconds(0), wait);
    }
    if (sockets.empty()) {
        std::this_thread::sleep_for(std::min(budget, milliseconds(1)));
        return false;
    }
    const milliseconds slice = std::max(milliseconds(1), budget / static_cast<int>(sockets.size()));
    for (PosixClientSocket* socket : sockets) {
        if (socket->pump(std::min(slice, budget))) {
            return true;
        }
    }
    return false;
}

bool PosixEventLoop::runUntil(const std::function<bool()>& done, milliseconds limit) {
    return runLoopsUntil({this}, done, limit);
}

bool runLoopsUntil(const std::vector<PosixEventLoop*>& loops, const std::function<bool()>& done,
                   milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return done();
        }
        bool ran = false;
        for (PosixEventLoop* loop : loops) {
            ran = loop->runOnce(milliseconds(0)) || ran;
        }
        if (!ran) {
            // Nothing to do in any loop: let the peers work before looking again.
            loops.front()->runOnce(milliseconds(1));
        }
    }
    return true;
}

}  // namespace ardentis::platform
