#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/sound_player.h"

namespace ardentis::platform {

// Remembers which sounds were played, from any thread. Like the system's player, a sound
// started while another still plays stops that one; each sound lasts a few milliseconds.
class RecordingSoundPlayer final : public SoundPlayer {
  public:
    static constexpr std::chrono::milliseconds kLength{20};

    void playToEnd(std::string_view resourceName) override {
        std::unique_lock lock(mutex_);
        played_.emplace_back(resourceName);
        if (playing_) {
            cut_.push_back(played_[*playing_]);
        }
        const std::size_t mine = played_.size() - 1;
        playing_ = mine;
        lock.unlock();
        std::this_thread::sleep_for(kLength);
        lock.lock();
        if (playing_ == mine) {
            playing_.reset();
        }
    }
    [[nodiscard]] std::vector<std::string> played() const {
        const std::lock_guard lock(mutex_);
        return played_;
    }
    // The sounds stopped before their end by a later one.
    [[nodiscard]] std::vector<std::string> cut() const {
        const std::lock_guard lock(mutex_);
        return cut_;
    }

  private:
    // Guards every member. Taken by the workers that play and the test that reads; never
    // held while a sound plays.
    mutable std::mutex mutex_;
    std::vector<std::string> played_;
    std::vector<std::string> cut_;
    std::optional<std::size_t> playing_;
};

}  // namespace ardentis::platform
