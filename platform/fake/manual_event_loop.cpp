#include "platform/fake/manual_event_loop.h"

namespace ardentis::platform {

void ManualEventLoop::post(std::function<void()> work) {
    const std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(work));
}

void ManualEventLoop::advance(std::chrono::milliseconds duration) {
    const auto end = now_ + duration;
    runPosted();
    while (const auto due = timers_.nextDue()) {
        if (*due > end) {
            break;
        }
        now_ = *due;
        timers_.fireNext(now_);
        runPosted();
    }
    now_ = end;
}

int ManualEventLoop::runPosted() {
    int ran = 0;
    while (true) {
        std::function<void()> work;
        {
            const std::lock_guard lock(postedMutex_);
            if (posted_.empty()) {
                return ran;
            }
            work = std::move(posted_.front());
            posted_.pop_front();
        }
        work();
        ++ran;
    }
}

}  // namespace ardentis::platform
