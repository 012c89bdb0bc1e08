#include "platform/posted_work.h"

namespace ardentis::platform {

void PostedWork::post(std::function<void()> work) {
    const std::lock_guard lock(mutex_);
    queue_.push_back(std::move(work));
}

int PostedWork::runAll() {
    int ran = 0;
    while (true) {
        std::function<void()> work;
        {
            const std::lock_guard lock(mutex_);
            if (queue_.empty()) {
                return ran;
            }
            work = std::move(queue_.front());
            queue_.pop_front();
        }
        work();
        ++ran;
    }
}

}  // namespace ardentis::platform
