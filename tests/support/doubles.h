#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

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

}  // namespace ardentis::testing
