#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/os_error.h"

namespace ardentis::platform {

// The events of a non-blocking client socket. They arrive on the thread that owns the
// socket (the window thread), from its event loop; only close() raises one (onDisconnect)
// from inside the call.
struct SocketEvents {
    std::function<void()> onConnect;
    std::function<void()> onRead;
    std::function<void()> onDisconnect;
    std::function<void(const OsError&)> onError;  // a failed connect is an error too
};

// A non-blocking TCP client socket as the record channel and the options window's test use it.
class ClientSocket {
  public:
    static constexpr int kWouldBlock = -1;

    virtual ~ClientSocket() = default;

    virtual void setEvents(SocketEvents events) = 0;
    // Starts connecting; the outcome comes as onConnect or onError.
    virtual void open(const std::string& host, std::uint16_t port) = 0;
    // Closing a connected socket raises onDisconnect, as the user's own disconnect expects.
    virtual void close() = 0;
    [[nodiscard]] virtual bool connected() const = 0;
    [[nodiscard]] virtual std::size_t bytesWaiting() = 0;
    // The number of bytes taken or given, or kWouldBlock when none could be.
    [[nodiscard]] virtual int send(std::span<const std::byte> bytes) = 0;
    [[nodiscard]] virtual int receive(std::span<std::byte> buffer) = 0;
};

}  // namespace ardentis::platform
