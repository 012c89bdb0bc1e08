#include "platform/fake/manual_event_loop.h"

namespace ardentis::platform {

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

}  // namespace ardentis::platform
