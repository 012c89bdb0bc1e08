#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "platform/client_socket.h"
#include "platform/os_error.h"
#include "platform/read_gate.h"

namespace ardentis::platform {

// A non-blocking TCP client socket on POSIX, for the native tests and the headless
// client. Its events are raised by pump() on the thread that created it (the owner).
// send(), connected() and close() may also be called from another thread.
class PosixClientSocket final : public ClientSocket {
  public:
    PosixClientSocket();
    ~PosixClientSocket() override;
    PosixClientSocket(const PosixClientSocket&) = delete;
    PosixClientSocket& operator=(const PosixClientSocket&) = delete;

    void setEvents(SocketEvents events) override;
    // Resolves the host at once (it blocks for as long as the lookup takes) and starts
    // connecting. Ignored while the socket is open.
    void open(const std::string& host, std::uint16_t port) override;
    // On the owner thread, closing a connected socket raises onDisconnect before it
    // returns. From another thread the connection is shut down at once and the owner's
    // next pump() raises onDisconnect, so handlers always run on the owner thread.
    void close() override;
    [[nodiscard]] bool connected() const override;
    [[nodiscard]] std::size_t bytesWaiting() override;
    [[nodiscard]] int send(std::span<const std::byte> bytes) override;
    [[nodiscard]] int receive(std::span<std::byte> buffer) override;

    // Waits up to `timeout` for news of the connection and raises at most one event on the
    // calling (owner) thread. Returns whether an event was raised.
    bool pump(std::chrono::milliseconds timeout);

  private:
    enum class State {
        Idle,        // no connection
        Connecting,  // connect started, outcome not yet raised
        Connected,
        Lost,     // send or receive found the connection gone; not yet reported
        Closing,  // closed from another thread; the owner reports it
    };

    struct Snapshot {
        State state;
        int fd;
    };

    [[nodiscard]] Snapshot snapshot() const;
    [[nodiscard]] bool onOwnerThread() const noexcept;
    // Closes the descriptor; returns whether the user saw a connection that now ends.
    bool shutDown();
    [[nodiscard]] std::size_t waitingOn(int fd) const;
    bool pumpConnecting(int fd, std::chrono::milliseconds timeout);
    bool pumpConnected(std::chrono::steady_clock::time_point deadline);
    void raiseRead(std::size_t waiting);
    void raiseDisconnect();
    void raiseError(const OsError& error);

    std::thread::id owner_;
    SocketEvents events_;                  // owner thread only
    ReadGate gate_;                        // owner thread only
    std::optional<OsError> pendingError_;  // owner thread only: a failed open, raised by pump

    // Guards fd_, state_, lostCode_ and closingWasConnected_. Taken by the owner thread and
    // by a sender on another thread (the chat worker) in send, connected and close. Held
    // only across non-blocking system calls; never while waiting in poll or raising an
    // event. Only the owner thread closes the descriptor, so poll may use it unlocked.
    mutable std::mutex mutex_;
    int fd_ = -1;
    State state_ = State::Idle;
    int lostCode_ = 0;
    bool closingWasConnected_ = false;
};

}  // namespace ardentis::platform
