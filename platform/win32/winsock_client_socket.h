#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>

#include "platform/client_socket_state.h"
#include "platform/os_error.h"
#include "platform/win32/message_window.h"

namespace ardentis::platform {

// A non-blocking Winsock client socket. Its events come through WSAAsyncSelect to a
// message-only window made by the constructor, and are raised by the message loop of the
// thread that created it (the owner, the window thread). open() resolves the host at once
// (it blocks for as long as the lookup takes). The destructor belongs to the owner thread.
class WinsockClientSocket final : public SocketStateMachine {
  public:
    WinsockClientSocket();
    ~WinsockClientSocket() override;
    WinsockClientSocket(const WinsockClientSocket&) = delete;
    WinsockClientSocket& operator=(const WinsockClientSocket&) = delete;

    // Runs the calling thread's message loop until this socket has raised an event or
    // `timeout` has passed; for tests and the headless client. A handler's exception,
    // which must not cross the window procedure, is rethrown here. Returns whether an
    // event was raised.
    bool pump(std::chrono::milliseconds timeout);

  private:
    [[nodiscard]] std::expected<Handle, OsError> openHandle(const std::string& host,
                                                            std::uint16_t port) override;
    void closeHandle(Handle handle) override;
    void shutdownHandle(Handle handle) override;
    [[nodiscard]] Io sendSome(Handle handle, std::span<const std::byte> bytes) override;
    [[nodiscard]] Io receiveSome(Handle handle, std::span<std::byte> buffer) override;
    [[nodiscard]] std::size_t waitingOn(Handle handle) const override;
    void wake(Wake why) override;
    void lookForMoreBytes(bool on) override;

    void handleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void onSocketMessage(Handle socket, unsigned event, int error);

    MessageWindow window_;
};

}  // namespace ardentis::platform
