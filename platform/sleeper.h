#pragma once

namespace ardentis::platform {

// The channel's short waits (50 ms, 10 ms, 1 ms) go through this, so tests need not pay them.
class Sleeper {
  public:
    virtual ~Sleeper() = default;
    virtual void sleepMs(int milliseconds) = 0;
};

// Really waits; what the shipped client uses.
class ThreadSleeper final : public Sleeper {
  public:
    void sleepMs(int milliseconds) override;
};

}  // namespace ardentis::platform
