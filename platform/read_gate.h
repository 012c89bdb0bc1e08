#pragma once

#include <cstddef>
#include <cstdint>

namespace ardentis::platform {

// Decides when a socket raises its read event, the same way for every socket layer.
// A read event is raised while bytes are waiting, but a handler may leave them queued on
// purpose (a record is not complete yet, or another receive step is still running below
// it). The gate then waits for more bytes instead of raising the same event forever. An
// event nested in a busy handler (a modal box's loop lets it in) that takes nothing holds
// every further event back until the outermost handler returns, which then raises again:
// the bytes wait in the socket, and the box's loop does not spin on them.
class ReadGate {
  public:
    enum class After : std::uint8_t {
        Nothing,      // the handler took bytes; more events come while bytes remain
        RaiseAgain,   // an event arrived while the handler was busy: look again now
        WaitForMore,  // the handler left the bytes; raise again only when more arrive
        Held,         // a nested event took nothing: none is due until the outer one ends
    };

    // Whether a read event is due with `waiting` bytes queued.
    [[nodiscard]] bool due(std::size_t waiting) const noexcept;
    [[nodiscard]] bool waitingForMore() const noexcept { return stalled_; }
    [[nodiscard]] bool held() const noexcept { return held_; }

    // Around every raised read event; events may nest (a modal box inside the handler).
    void beginEvent(std::size_t waiting) noexcept;
    [[nodiscard]] After endEvent() noexcept;

    // Every receive call, whatever it returned.
    void noteReceive() noexcept;
    // A new or closed connection starts afresh.
    void reset() noexcept;

  private:
    int depth_ = 0;
    std::uint64_t receives_ = 0;
    std::uint64_t receivesAtStart_ = 0;
    std::uint64_t receivesAtInner_ = 0;
    std::size_t waitingAtStart_ = 0;
    bool missed_ = false;
    bool held_ = false;
    bool stalled_ = false;
    std::size_t stalledAt_ = 0;
};

}  // namespace ardentis::platform
