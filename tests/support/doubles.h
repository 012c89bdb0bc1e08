#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/append_file.h"
#include "platform/clock.h"
#include "platform/info_box.h"
#include "platform/sleeper.h"
#include "text/gbk.h"

namespace ardentis::testing {

// Always the same moment.
struct FixedClock final : platform::Clock {
    explicit FixedClock(platform::LocalTime at = {}) : time(at) {}
    [[nodiscard]] platform::LocalTime now() const override { return time; }
    platform::LocalTime time;
};

// Does not wait (it yields, so that other threads move on): runs the hook, if any, with each
// requested wait and its number (from 0), so a test can change the world between two attempts.
// Safe for several threads.
class RecordingSleeper final : public platform::Sleeper {
  public:
    using Hook = std::function<void(int milliseconds, std::size_t call)>;

    // Set before the sleeper is used.
    void setHook(Hook hook) { hook_ = std::move(hook); }
    void sleepMs(int milliseconds) override {
        const std::size_t call = calls_++;
        if (hook_) {
            hook_(milliseconds, call);
        }
        std::this_thread::yield();
    }

  private:
    Hook hook_;
    std::atomic<std::size_t> calls_{0};
};

// Records the messages it was asked to show; answers every question No.
class RecordingInfoBox final : public platform::InfoBox {
  public:
    void showInfo(const text::Gbk& message) override { shown.push_back(message); }
    [[nodiscard]] bool askYesNo(const text::Gbk& message) override {
        shown.push_back(message);
        return false;
    }
    std::vector<text::Gbk> shown;
};

// Keeps nothing: a log no one reads back.
struct DiscardingFile final : platform::AppendFile {
    [[nodiscard]] bool append(std::string_view /*bytes*/) const noexcept override { return true; }
    [[nodiscard]] const std::filesystem::path& path() const noexcept override { return none; }
    std::filesystem::path none;
};

}  // namespace ardentis::testing
