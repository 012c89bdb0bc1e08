#pragma once

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/ssl/context.hpp>
#include <asio/ssl/stream.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "protocol/lobby_message.h"
#include "server/frame_reader.h"

namespace ardentis::tools {

class LobbyClient;

class ClientEvents {
  public:
    virtual ~ClientEvents() = default;
    virtual void onRecord(LobbyClient& client, const protocol::LobbyMessage& message) = 0;
    virtual void onClosed(LobbyClient& client) = 0;
};

// One scripted lobby user of the tools; each connection is a new life with its own view of
// the lobby.
class LobbyClient : public std::enable_shared_from_this<LobbyClient> {
  public:
    LobbyClient(asio::io_context& io, std::size_t index, std::string account, ClientEvents& events);

    // From the next connection on, speaks TLS, trusting whatever certificate the server shows
    // (the tools load a server of this machine; they measure, they do not check).
    void useTls(asio::ssl::context& context) { tls_ = &context; }
    void connect(const asio::ip::tcp::endpoint& server, const std::string& password);
    void send(const protocol::LobbyMessage& message);
    void sendBytes(std::vector<std::byte> bytes);
    // Sends the first `count` bytes of the record and drops the connection once they left.
    void cutAfter(const protocol::LobbyMessage& message, std::size_t count);
    // Reads nothing for a while: a peer that has stopped reading.
    void stall(std::chrono::milliseconds time);
    [[nodiscard]] bool stalled() const { return std::chrono::steady_clock::now() < stalledUntil_; }
    // Whether this connection has stalled: the server may have cut it off unseen.
    [[nodiscard]] bool hasStalled() const { return stalledUntil_ != Clock::time_point{}; }
    void close();

    [[nodiscard]] std::size_t index() const noexcept { return index_; }
    [[nodiscard]] const std::string& account() const noexcept { return account_; }
    [[nodiscard]] bool open() const noexcept { return open_; }
    // Whether the last connection ended by close() here rather than by the server or an error.
    [[nodiscard]] bool closedHere() const noexcept { return closedHere_; }

    // This connection's view.
    bool loggedIn = false;
    std::string roomno;  // the room it sits in or asked for
    bool seated = false;
    // A receive buffer > 0 is set before connecting: a small one makes a client that stops
    // reading fill the server's queue soon, rather than the kernel's buffers.
    int receiveBuffer = 0;             // the server has given it its seat in roomno
    std::set<std::string> roomsAsked;  // every room it opened or asked to join
    std::chrono::steady_clock::time_point nextAction{};

  private:
    using TlsStream = asio::ssl::stream<asio::ip::tcp::socket>;

    // The connection's TCP socket, under TLS or not.
    asio::ip::tcp::socket& socket() { return tlsStream_ ? tlsStream_->next_layer() : socket_; }
    // Runs `use` on what carries the records: the TLS stream, or the socket itself.
    template <typename Use>
    void onStream(Use&& use) {
        if (tlsStream_) {
            use(*tlsStream_);
        } else {
            use(socket_);
        }
    }
    void loggingIn(const protocol::LobbyMessage& login);
    void read();
    void flush();
    void fail(bool here = false);

    asio::ip::tcp::socket socket_;
    asio::ssl::context* tls_ = nullptr;
    // This connection's, when over TLS; an older one lives on in its handlers until they end.
    std::shared_ptr<TlsStream> tlsStream_;
    asio::steady_timer stallTimer_;
    std::size_t index_;
    std::string account_;
    ClientEvents& events_;
    server::FrameReader reader_;
    std::vector<std::byte> pending_;
    std::vector<std::byte> writing_;
    unsigned life_ = 0;  // handlers of an earlier connection find it changed and do nothing
    bool open_ = false;
    bool closedHere_ = false;
    bool closeAfterWrite_ = false;
    using Clock = std::chrono::steady_clock;
    Clock::time_point stalledUntil_{};
};

}  // namespace ardentis::tools
