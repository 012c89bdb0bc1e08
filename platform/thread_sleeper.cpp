#include <chrono>
#include <thread>

#include "platform/sleeper.h"

namespace ardentis::platform {

void ThreadSleeper::sleepMs(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace ardentis::platform
