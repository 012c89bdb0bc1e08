#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sound_player.h"

namespace ardentis::platform {

// Remembers which sounds were played, from any thread.
class RecordingSoundPlayer final : public SoundPlayer {
  public:
    void playToEnd(std::string_view resourceName) override {
        const std::lock_guard lock(mutex_);
        played_.emplace_back(resourceName);
    }
    [[nodiscard]] std::vector<std::string> played() const {
        const std::lock_guard lock(mutex_);
        return played_;
    }

  private:
    // Guards played_. Taken by the workers that play and the test that reads.
    mutable std::mutex mutex_;
    std::vector<std::string> played_;
};

}  // namespace ardentis::platform
