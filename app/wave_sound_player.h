#pragma once

#include <atomic>
#include <string_view>

#include "platform/sound_player.h"

namespace ardentis::app {

// Plays the wave resources of the running executable with PlaySound, waiting for the end.
// Without a sound device the call returns at once; an alert is never worth an error box.
class WaveSoundPlayer final : public platform::SoundPlayer {
  public:
    void playToEnd(std::string_view resourceName) override;
    // The last call's outcome, for tests: whether the system found and played the sound.
    [[nodiscard]] bool lastPlayed() const noexcept { return lastPlayed_.load(); }

  private:
    std::atomic<bool> lastPlayed_{false};  // written by the workers that play
};

}  // namespace ardentis::app
