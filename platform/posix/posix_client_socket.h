#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>

#include "platform/client_socket_state.h"
#include "platform/os_error.h"

namespace ardentis::platform {

// A non-blocking TCP client socket on POSIX, for the native tests and the headless
// client. Its events are raised by pump() on the thread that created it (the owner).
// open() resolves the host at once (it blocks for as long as the lookup takes).
class PosixClientSocket final : public SocketStateMachine {
  public:
    PosixClientSocket() = default;
    ~PosixClientSocket() override;
    PosixClientSocket(const PosixClientSocket&) = delete;
    PosixClientSocket& operator=(const PosixClientSocket&) = delete;

    // Waits up to `timeout` for news of the connection and raises at most one event on the
    // calling (owner) thread. Returns whether an event was raised.
    bool pump(std::chrono::milliseconds timeout);

  private:
    [[nodiscard]] std::expected<Handle, OsError> openHandle(const std::string& host,
                                                            std::uint16_t port) override;
    void closeHandle(Handle handle) override;
    void shutdownHandle(Handle handle) override;
    [[nodiscard]] Io sendSome(Handle handle, std::span<const std::byte> bytes) override;
    [[nodiscard]] Io receiveSome(Handle handle, std::span<std::byte> buffer) override;
    [[nodiscard]] std::size_t waitingOn(Handle handle) const override;
    // pump() looks at the socket every time; nobody needs waking.
    void wake(Wake /*why*/) override {}
    void lookForMoreBytes(bool /*on*/) override {}

    bool pumpConnecting(int fd, std::chrono::milliseconds timeout);
    bool pumpConnected(std::chrono::steady_clock::time_point deadline);
};

}  // namespace ardentis::platform
