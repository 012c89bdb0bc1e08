#include "tests/support/doubles.h"

#include <thread>

namespace ardentis::testing {

void RecordingSleeper::sleepMs(int milliseconds) {
    std::size_t call = 0;
    {
        const std::lock_guard lock(mutex_);
        call = waits_.size();
        waits_.push_back(milliseconds);
    }
    if (hook_) {
        hook_(milliseconds, call);
    }
    std::this_thread::yield();
}

std::vector<int> RecordingSleeper::waits() const {
    const std::lock_guard lock(mutex_);
    return waits_;
}

}  // namespace ardentis::testing
