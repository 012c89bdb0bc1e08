#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/client_socket.h"
#include "platform/os_error.h"
#include "platform/read_gate.h"

namespace ardentis::platform {

// The state machine every real client socket shares: the connection's states, a close
// from another thread that the owner thread reports, send and receive under one lock,
// the bytes taken in ahead of the handler while looking for the peer's close, and the
// read gate's decisions around read events and that close. A socket supplies the
// operating system's calls and the way its owner thread is woken, and raises events only
// through the members below, on the thread that created it (the owner). send(),
// connected() and close() may also be called from another thread.
class SocketStateMachine : public ClientSocket {
  public:
    SocketStateMachine();
    ~SocketStateMachine() override = default;
    SocketStateMachine(const SocketStateMachine&) = delete;
    SocketStateMachine& operator=(const SocketStateMachine&) = delete;

    void setEvents(SocketEvents events) final;
    // Ignored while the socket is open; a failure is raised as onError by the owner's loop.
    void open(const std::string& host, std::uint16_t port) final;
    // On the owner thread, closing a connected socket raises onDisconnect before it
    // returns. From another thread the connection is shut down at once and the owner's
    // loop raises onDisconnect, so handlers always run on the owner thread.
    void close() final;
    [[nodiscard]] bool connected() const final;
    [[nodiscard]] std::size_t bytesWaiting() final;
    [[nodiscard]] int send(std::span<const std::byte> bytes) final;
    [[nodiscard]] int receive(std::span<std::byte> buffer) final;

  protected:
    // The operating system's socket handle (a descriptor or a SOCKET).
    using Handle = std::uintptr_t;
    static constexpr Handle kNoHandle = ~Handle{0};

    enum class State : std::uint8_t {
        Idle,        // no connection
        Connecting,  // connect started, outcome not yet raised
        Connected,
        Lost,     // send or receive found the connection gone; not yet reported
        Closing,  // closed from another thread; the owner reports it
    };

    struct Snapshot {
        State state;
        Handle handle;
    };

    // One non-blocking send or receive: `count` bytes (0 from a receive: the peer closed),
    // or kWouldBlock with `error` 0 when the call would block and the OS's code otherwise.
    struct Io {
        int count;
        int error;
    };

    // Why the owner thread must look at the socket from its own loop.
    enum class Wake : std::uint8_t {
        Closed,   // closed from another thread (called with the lock held)
        Failed,   // open failed before any socket event
        Recheck,  // bytes or the peer's close may be left for another read event
    };

    // --- Supplied by each socket. Those marked "locked" run with the lock held and must
    // neither block nor call back into this class.
    // Resolves the host, makes a non-blocking socket and starts connecting; on failure
    // nothing is left open.
    [[nodiscard]] virtual std::expected<Handle, OsError> openHandle(const std::string& host,
                                                                    std::uint16_t port) = 0;
    virtual void closeHandle(Handle handle) = 0;     // locked
    virtual void shutdownHandle(Handle handle) = 0;  // locked: ends both directions now
    [[nodiscard]] virtual Io sendSome(Handle handle,
                                      std::span<const std::byte> bytes) = 0;               // locked
    [[nodiscard]] virtual Io receiveSome(Handle handle, std::span<std::byte> buffer) = 0;  // locked
    [[nodiscard]] virtual std::size_t waitingOn(Handle handle) const = 0;
    virtual void wake(Wake why) = 0;
    // Starts or stops looking for more bytes at an interval, for a handler that left a
    // fragment queued (the socket will not report readiness for those bytes again).
    virtual void lookForMoreBytes(bool on) = 0;

    // --- For the socket's own loop, on the owner thread.
    [[nodiscard]] Snapshot snapshot() const;
    [[nodiscard]] static bool isOpen(State state) noexcept {
        return state == State::Connected || state == State::Lost;
    }
    // Bytes for the handler: those taken in ahead of it, then those in the socket.
    [[nodiscard]] std::size_t queued(Handle handle) const;
    [[nodiscard]] bool readDue(std::size_t waiting) const noexcept { return gate_.due(waiting); }
    [[nodiscard]] bool readHeld() const noexcept { return gate_.held(); }
    [[nodiscard]] bool waitingForMore() const noexcept { return gate_.waitingForMore(); }
    [[nodiscard]] unsigned long long eventsRaised() const noexcept { return eventsRaised_; }

    // The connect's outcome (`error` 0: connected). Returns whether an event was raised.
    bool connectDone(int error);
    // Raises the failure open() left for the loop, if any.
    bool raisePendingError();
    // Reports a close from another thread, if one is pending.
    bool reportClosing();
    // Raises a read event when one is due.
    void readIfDue();
    // Raises a read event for `waiting` queued bytes.
    void raiseRead(std::size_t waiting);
    // The peer closed (`error` 0) or the connection failed: bytes it sent before are
    // handed out first, then the socket closes and reports the end.
    void onPeerClosed(int error);
    // The interval's look for more bytes.
    void moreBytesCheck();
    // The answer to Wake::Recheck.
    void recheck();
    // Closes the socket and raises `error`.
    void fail(const OsError& error);
    // For the socket's destructor: closes what is still open, raising nothing.
    void closeNow();

  private:
    [[nodiscard]] bool onOwnerThread() const noexcept;
    void failLater(const OsError& error);
    // Closes the socket; returns whether the user saw a connection that now ends.
    bool shutDown();
    // Takes in what the socket holds, so that a close behind a fragment shows.
    void takeInWaiting();
    void raiseDisconnect();
    void raiseError(const OsError& error);

    std::thread::id owner_;
    SocketEvents events_;                  // owner thread only
    ReadGate gate_;                        // owner thread only
    std::optional<OsError> pendingError_;  // owner thread only: a failed open
    unsigned long long eventsRaised_ = 0;  // owner thread only
    std::vector<std::byte> held_;          // owner thread only: taken in ahead of the handler
    bool peerClosed_ = false;  // owner thread only: seen while taking bytes in or held back
    int peerCloseError_ = 0;   // owner thread only: the held-back close's error

    // Guards handle_, state_, lostCode_ and closingWasConnected_. Taken by the owner thread
    // and by a sender on another thread (the chat worker) in send, connected and close.
    // Held only across the "locked" calls above; never while waiting or raising an event.
    // Only the owner thread closes the handle, so its loop may wait on it unlocked.
    mutable std::mutex mutex_;
    Handle handle_ = kNoHandle;
    State state_ = State::Idle;
    int lostCode_ = 0;
    bool closingWasConnected_ = false;
};

}  // namespace ardentis::platform
