#pragma once

#include <atomic>
#include <cstdint>

namespace ardentis::protocol {

// The channel's two flags: 1 = free, 0 = a send (a receive step) is running. One pair
// belongs to each lobby socket and lives as long as it, not as long as a connection
// state: a connection that ends while a send or a receive step is still running below the
// event (a chat worker still sending on the old channel over the same socket) must not
// let a second one in. Both start at 1 and are never reset from outside. They are taken
// only through FlagHold, which gives them back on every way out of its scope, so an
// abandoned record or a failing dispatcher cannot leave one cleared.
struct ChannelFlags {
    // Taken by the window thread and the chat worker thread; the only exclusion between
    // them, so taking it is one atomic test-and-clear.
    std::atomic<std::uint8_t> sendready{1};
    // Taken by the window thread only; keeps a receive step from starting while another is
    // still running below it on the same thread (a modal box in the dispatcher lets further
    // read events in).
    std::atomic<std::uint8_t> recvready{1};
};

// Holds one of the flags for a scope.
class FlagHold {
  public:
    explicit FlagHold(std::atomic<std::uint8_t>& flag) noexcept : flag_(flag) {}
    ~FlagHold();
    FlagHold(const FlagHold&) = delete;
    FlagHold& operator=(const FlagHold&) = delete;

    // Test and clear in one atomic step: true when the flag was 1 and is now ours.
    [[nodiscard]] bool tryTake() noexcept;
    [[nodiscard]] bool held() const noexcept { return held_; }

  private:
    std::atomic<std::uint8_t>& flag_;
    bool held_ = false;
};

}  // namespace ardentis::protocol
