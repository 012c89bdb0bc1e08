#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/append_file.h"
#include "platform/clock.h"
#include "platform/info_box.h"
#include "platform/sleeper.h"
#include "text/gbk.h"

namespace ardentis::testing {

// Always the same moment.
class FixedClock final : public platform::Clock {
  public:
    explicit FixedClock(platform::LocalTime time = {}) : time_(time) {}
    [[nodiscard]] platform::LocalTime now() const override { return time_; }

  private:
    platform::LocalTime time_;
};

// Does not wait (it yields, so that other threads move on): records every requested wait and runs
// the hook, if any, with the wait and its number (from 0), so a test can change the world between
// two attempts. Safe for several threads.
class RecordingSleeper final : public platform::Sleeper {
  public:
    using Hook = std::function<void(int milliseconds, std::size_t call)>;

    // Set before the sleeper is used.
    void setHook(Hook hook) { hook_ = std::move(hook); }
    void sleepMs(int milliseconds) override;
    [[nodiscard]] std::vector<int> waits() const;

  private:
    Hook hook_;
    // Guards waits_. Taken by every sending thread; not held while the hook runs.
    mutable std::mutex mutex_;
    std::vector<int> waits_;
};

// Records the messages it was asked to show.
class RecordingInfoBox final : public platform::InfoBox {
  public:
    void showInfo(const text::Gbk& message) override { shown.push_back(message); }
    std::vector<text::Gbk> shown;
};

// Keeps nothing: a log no one reads back.
class DiscardingFile final : public platform::AppendFile {
  public:
    [[nodiscard]] bool append(std::string_view /*bytes*/) const noexcept override { return true; }
    [[nodiscard]] const std::filesystem::path& path() const noexcept override { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace ardentis::testing
