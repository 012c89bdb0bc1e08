#pragma once

#include <thread>

#include "platform/sleeper.h"

namespace ardentis::platform {

// Waits no time, only yields: tests and simulations need the channel's waits' order, not
// their length.
class InstantSleeper final : public Sleeper {
  public:
    void sleepMs(int /*milliseconds*/) override { std::this_thread::yield(); }
};

}  // namespace ardentis::platform
