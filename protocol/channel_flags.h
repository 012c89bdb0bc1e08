#pragma once

#include <atomic>
#include <cstdint>

namespace ardentis::protocol {

// The channel's two process-wide flags: 1 = free, 0 = a send (a receive step) is running.
// Both start at 1 and are never reset from outside: a connection that ends while a send or
// a receive step is still running below the event must not let a second one in. They are
// taken only through FlagHold, which gives them back on every way out of its scope, so an
// abandoned record or a failing dispatcher cannot leave one cleared.

// Taken by the window thread and the chat worker thread; the only exclusion between them,
// so taking it is one atomic test-and-clear.
extern std::atomic<std::uint8_t> sendready;
// Taken by the window thread only; keeps a receive step from starting while another is
// still running below it on the same thread (a modal box in the dispatcher lets further
// read events in).
extern std::atomic<std::uint8_t> recvready;

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
