#pragma once

#include <string_view>

namespace ardentis::platform {

// Plays one of the program's wave sounds ("BB", "WARNING") and returns when it has ended.
// Called from worker threads, several at once.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    virtual void playToEnd(std::string_view resourceName) = 0;
};

}  // namespace ardentis::platform
