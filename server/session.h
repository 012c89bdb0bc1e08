#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/lobby_message.h"
#include "protocol/user_record.h"
#include "server/flood_control.h"
#include "server/flush_list.h"
#include "server/frame_reader.h"
#include "server/lobby.h"
#include "server/login_service.h"
#include "server/options.h"
#include "server/out_queue.h"
#include "server/peer.h"

namespace ardentis::server {

// One client connection: reads whole records, logs the user in, hands its records to
// the lobby and writes what the lobby delivers, batched, to a bounded queue.
class Session : public Peer, public std::enable_shared_from_this<Session> {
  public:
    struct Context {
        const ServerOptions& options;
        Lobby& lobby;
        LoginService& login;
        FlushList& flushes;
        std::function<void(Session&)> closed;  // the server forgets the session
    };

    Session(asio::ip::tcp::socket socket, Context& context);

    void start();
    void deliver(const Frame& frame) override;
    // Ends the connection once; the user, if logged in, leaves the lobby.
    void close(std::string_view reason);
    // Writes what is queued, unless a write is under way already (FlushList calls it).
    void flush();

  private:
    enum class State : std::uint8_t { AwaitingLogin, Checking, LoggedIn, Closed };

    void configureSocket();
    void read();
    void onRead(const std::error_code& error, std::size_t count);
    bool handleRecord(const protocol::LobbyMessage& message);
    bool admit(const protocol::LobbyMessage& message);
    void login(const protocol::LobbyMessage& message);
    void onLogin(std::optional<protocol::UserRecord> user);
    void scheduleFlush();
    void writeRest(std::size_t written);
    void finishBatch();
    void onWritten(const std::error_code& error);
    void cutOff();
    [[nodiscard]] std::string who() const;

    asio::ip::tcp::socket socket_;
    asio::steady_timer loginTimer_;
    Context& context_;
    std::string address_;
    std::string peerName_;  // address and port, for the log
    std::string account_;   // the account being checked or logged in
    FrameReader reader_;
    OutQueue queue_;
    std::vector<asio::const_buffer> buffers_;
    FloodControl chatFlood_;
    FloodControl recordFlood_;
    Member* member_ = nullptr;  // owned by the lobby while logged in
    State state_ = State::AwaitingLogin;
    bool flushScheduled_ = false;
    bool cut_ = false;
    bool floodLogged_ = false;
};

}  // namespace ardentis::server
