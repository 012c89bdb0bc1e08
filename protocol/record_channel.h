#pragma once

#include <functional>

#include "platform/client_socket.h"
#include "platform/sleeper.h"
#include "protocol/channel_flags.h"
#include "protocol/connection_helpers.h"
#include "protocol/lobby_message.h"

namespace ardentis::protocol {

// The record channel over the lobby connection: whole 376-byte records out and in, each
// one logged. One exists per connection state; a connection reset replaces it.
class TCcom {
  public:
    using Dispatch = std::function<void(const LobbyMessage&)>;

    // All borrowed: the lobby window's socket and its flags, this connection's helper, and
    // the waits (a real sleeper in the client, a recording one in tests).
    TCcom(platform::ClientSocket& socket, ChannelFlags& flags, const TcBaseFunctions& base,
          platform::Sleeper& sleeper) noexcept
        : socket_(socket), flags_(flags), base_(base), sleeper_(sleeper) {}

    // Sends one record whole, waiting its turn behind a send on the other thread. Called
    // from the window thread and the chat worker thread. A lost connection closes the
    // socket and drops the record; the caller is not told (the disconnect event tells the
    // lobby window). Closing may replace this object, so nothing of it is used afterwards.
    void SendRecord(LobbyMessage message);

    // One read event's work, on the window thread: takes one whole record when one is
    // waiting, logs it and hands it to `dispatch`. A failing dispatcher is logged and the
    // next record is still received. The dispatcher may replace this object and its
    // helper (a connection reset runs inside it); after it returns only the long-lived
    // traffic log is used.
    void ReceiveStep(const Dispatch& dispatch);

  private:
    platform::ClientSocket& socket_;
    ChannelFlags& flags_;
    const TcBaseFunctions& base_;
    platform::Sleeper& sleeper_;
};

}  // namespace ardentis::protocol
