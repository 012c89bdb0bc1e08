#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/client_socket.h"
#include "platform/os_error.h"
#include "platform/read_gate.h"

struct HWND__;
using HWND = HWND__*;

namespace ardentis::platform {

// A non-blocking Winsock client socket. Its events come through WSAAsyncSelect to a
// message-only window made by the constructor, and are raised by the message loop of the
// thread that created it (the owner, the window thread). send(), connected() and close()
// may also be called from another thread; everything else, and the destructor, belong to
// the owner thread.
class WinsockClientSocket final : public ClientSocket {
  public:
    WinsockClientSocket();
    ~WinsockClientSocket() override;
    WinsockClientSocket(const WinsockClientSocket&) = delete;
    WinsockClientSocket& operator=(const WinsockClientSocket&) = delete;

    void setEvents(SocketEvents events) override;
    // Resolves the host at once (it blocks for as long as the lookup takes) and starts
    // connecting; a failure is raised as onError from the message loop. Ignored while the
    // socket is open.
    void open(const std::string& host, std::uint16_t port) override;
    // On the owner thread, closing a connected socket raises onDisconnect before it
    // returns. From another thread the connection is shut down at once and the owner's
    // message loop raises onDisconnect, so handlers always run on the owner thread.
    void close() override;
    [[nodiscard]] bool connected() const override;
    [[nodiscard]] std::size_t bytesWaiting() override;
    [[nodiscard]] int send(std::span<const std::byte> bytes) override;
    [[nodiscard]] int receive(std::span<std::byte> buffer) override;

    // Runs the calling thread's message loop until this socket has raised an event or
    // `timeout` has passed; for tests and the headless client. A handler's exception,
    // which must not cross the window procedure, is rethrown here. Returns whether an
    // event was raised.
    bool pump(std::chrono::milliseconds timeout);

  private:
    friend class SocketWindow;  // the window procedure

    enum class State {
        Idle,        // no connection
        Connecting,  // connect started, outcome not yet raised
        Connected,
        Lost,     // send or receive found the connection gone; not yet reported
        Closing,  // closed from another thread; the owner reports it
    };

    struct Snapshot {
        State state;
        std::uintptr_t socket;
    };

    void handleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void onSocketMessage(std::uintptr_t socket, unsigned event, int error);
    void onPeerClosed(int error);
    void onMoreBytesTimer();
    void takeInWaiting();
    void readIfDue();
    void raiseRead(std::size_t waiting);
    void raiseDisconnect();
    void raiseError(const OsError& error);
    void failLater(const OsError& error);
    [[nodiscard]] Snapshot snapshot() const;
    [[nodiscard]] bool onOwnerThread() const noexcept;
    // Closes the socket; returns whether the user saw a connection that now ends.
    bool shutDown();
    // Bytes for the handler: those taken in ahead of it, then those in the socket.
    [[nodiscard]] std::size_t queued(std::uintptr_t socket) const;
    [[nodiscard]] static std::size_t waitingOn(std::uintptr_t socket);

    std::thread::id owner_;
    HWND window_ = nullptr;
    SocketEvents events_;                  // owner thread only
    ReadGate gate_;                        // owner thread only
    std::optional<OsError> pendingError_;  // owner thread only: a failed open
    std::exception_ptr handlerFailure_;    // owner thread only: rethrown by pump
    unsigned long long eventsRaised_ = 0;  // owner thread only
    std::vector<std::byte> held_;          // owner thread only: taken in ahead of the handler
    bool peerClosed_ = false;  // owner thread only: seen while taking bytes in or held back
    int peerCloseError_ = 0;   // owner thread only: the held-back close's error

    // Guards socket_, state_, lostCode_ and closingWasConnected_. Taken by the owner thread
    // and by a sender on another thread (the chat worker) in send, connected and close.
    // Held only across non-blocking socket calls; never while raising an event. Only the
    // owner thread closes the socket handle.
    mutable std::mutex mutex_;
    std::uintptr_t socket_;
    State state_ = State::Idle;
    int lostCode_ = 0;
    bool closingWasConnected_ = false;
};

}  // namespace ardentis::platform
