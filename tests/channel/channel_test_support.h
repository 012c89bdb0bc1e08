#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/info_box.h"
#include "platform/sleeper.h"
#include "protocol/lobby_message.h"
#include "protocol/record_channel.h"
#include "text/gbk.h"

namespace ardentis::testing {

// A fresh directory under the system's temporary directory, removed afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const noexcept { return path_; }

  private:
    std::filesystem::path path_;
};

// Always the same moment.
class FixedClock final : public platform::Clock {
  public:
    explicit FixedClock(platform::LocalTime time) : time_(time) {}
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

// The whole file as bytes; empty when it does not exist.
[[nodiscard]] std::string readFile(const std::filesystem::path& file);
// The file cut at CR LF; a final piece without CR LF is returned as well.
[[nodiscard]] std::vector<std::string> lines(const std::string& bytes);

// A record whose every field is set from `seed`, so that records differ everywhere.
[[nodiscard]] protocol::LobbyMessage sampleRecord(int seed);
[[nodiscard]] std::vector<std::byte> bytesOf(const protocol::LobbyMessage& message);
[[nodiscard]] bool sameBytes(const protocol::LobbyMessage& a, const protocol::LobbyMessage& b);

// The records the window thread and a chat worker thread each sent, in their order.
struct TwoSenders {
    std::vector<protocol::LobbyMessage> window;
    std::vector<protocol::LobbyMessage> worker;
};
// Sends `perThread` distinct records from this thread and as many from a second one, at once.
TwoSenders sendFromTwoThreads(protocol::TCcom& com, int perThread);
// Whether the bytes are exactly both threads' records, each one whole and each thread's in
// the order it sent them.
[[nodiscard]] ::testing::AssertionResult wholeAndInOrder(std::span<const std::byte> bytes,
                                                         const TwoSenders& senders);

}  // namespace ardentis::testing
