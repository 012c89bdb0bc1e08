#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "protocol/lobby_message.h"
#include "protocol/user_record.h"
#include "server/flood_control.h"
#include "server/frame_reader.h"
#include "server/lobby.h"
#include "server/login_grant.h"
#include "server/member.h"
#include "server/options.h"
#include "server/out_queue.h"
#include "server/peer.h"

namespace ardentis::server {

// What one client connection does with the bytes it reads and the records the lobby sends
// it, apart from the socket: cuts the bytes into records, logs the user in, admits records
// past the flood limits into the lobby, and keeps what the lobby delivers in a queue that
// cuts a slow reader off at its bound. The socket side reads, writes and times.
class Connection : public Peer {
  public:
    using Clock = std::chrono::steady_clock;

    Connection(const ServerOptions& options, Lobby& lobby, Clock::time_point now);

    void deliver(const Frame& frame) override;
    void replaced() override;
    // Ends the connection once; the user, if logged in, leaves the lobby.
    void close(std::string_view reason);

    [[nodiscard]] bool closed() const noexcept { return state_ == State::Closed; }
    [[nodiscard]] bool loggedIn() const noexcept { return state_ == State::LoggedIn; }
    // Taken over by a new log-in: it reads nothing more and ends once its queue is written.
    [[nodiscard]] bool leaving() const noexcept { return state_ == State::Leaving; }
    [[nodiscard]] const Member* member() const noexcept { return member_; }

  protected:
    // The peer's address, and its address and port for the log.
    void identify(std::string address, std::string peerName);
    // Where the next read may put its bytes, and what a read put there.
    [[nodiscard]] std::span<std::byte> readSpace() noexcept { return reader_.space(); }
    void received(std::size_t count, Clock::time_point now);
    // The log-in's answer; ignored unless a check is under way.
    void loginAnswered(std::optional<LoginGrant> grant);
    [[nodiscard]] OutQueue& queue() noexcept { return queue_; }
    // The batch under way has been written: the reader is taking records, and the lists it
    // is owed may go on.
    void batchWritten(Clock::time_point now);
    [[nodiscard]] Clock::time_point lastProgress() const noexcept { return lastProgress_; }
    [[nodiscard]] const std::string& address() const noexcept { return address_; }
    [[nodiscard]] std::string who() const;

    // Checks a log-in; the answer comes later through loginAnswered().
    virtual void checkLogin(LoginAttempt attempt) = 0;
    // Records wait and no write is under way.
    virtual void flushSoon() = 0;
    // The queue is past its bound: close soon, not on the spot, since the lobby may be
    // walking its lists right now.
    virtual void closeSoon() = 0;
    // The connection has ended: release the socket.
    virtual void ended() = 0;
    // Leaving: the connection ends within a short while even if its last records never go.
    virtual void lingerAtMost() = 0;
    [[nodiscard]] virtual Clock::time_point now() const = 0;
    // A record was dropped by the flood limits (for the server's counts).
    virtual void floodDropped() {}

  private:
    enum class State : std::uint8_t { AwaitingLogin, Checking, LoggedIn, Leaving, Closed };

    bool handleRecord(const protocol::LobbyMessage& message, Clock::time_point now);
    bool admit(const protocol::LobbyMessage& message, Clock::time_point now);
    void login(const protocol::LobbyMessage& message);
    void pullLists();
    void cutOff(const std::string& why);

    const ServerOptions& options_;
    Lobby& lobby_;
    std::string address_ = "unknown";
    std::string peerName_ = "unknown";
    std::string account_;  // the account being checked or logged in
    FrameReader reader_;
    OutQueue queue_;
    FloodControl chatFlood_;
    FloodControl recordFlood_;
    Member* member_ = nullptr;  // owned by the lobby while logged in
    Clock::time_point lastProgress_;
    State state_ = State::AwaitingLogin;
    bool cut_ = false;
    bool floodLogged_ = false;
};

}  // namespace ardentis::server
