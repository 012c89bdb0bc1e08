#pragma once

#include <asio/steady_timer.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "server/connection.h"
#include "server/flush_list.h"
#include "server/lobby.h"
#include "server/login_service.h"
#include "server/metrics.h"
#include "server/options.h"
#include "server/transport.h"

namespace ardentis::server {

// One client connection over its transport (plain or TLS): reads into the connection's
// records, times the client's wait to log in (not the server's check of it) and, on TLS, the
// handshake before it, and writes what the connection queues, batched.
class Session final : public Connection, public std::enable_shared_from_this<Session> {
  public:
    struct Context {
        const ServerOptions& options;
        Lobby& lobby;
        LoginService& login;
        FlushList& flushes;
        ServerMetrics& metrics;
        std::function<void(Session&)> closed;  // the server forgets the session
    };

    Session(Transport transport, Context& context);

    void start();
    // Writes what is queued, unless a write is under way already (FlushList calls it).
    void flush();
    [[nodiscard]] std::size_t queuedBytes() noexcept {
        return queue().pending() * protocol::kRecordSize;
    }

  private:
    void configureSocket();
    void onHandshake(const std::error_code& error);
    void read();
    void onRead(const std::error_code& error, std::size_t count, const std::byte* at);
    // Closes the connection unless a log-in record comes within the log-in timeout.
    void awaitLogin();
    void checkLogin(LoginAttempt attempt) override;
    void flushSoon() override;
    void closeSoon() override;
    void ended() override;
    void lingerAtMost() override;
    void floodDropped() override { ++context_.metrics.floodDrops; }
    [[nodiscard]] Clock::time_point now() const override { return Clock::now(); }
    void writeRest(std::size_t written);
    void finishBatch();
    void onWritten(const std::error_code& error);

    Transport transport_;
    asio::steady_timer loginTimer_;
    std::uint64_t loginRound_ = 0;  // which wait of loginTimer_ still counts
    Context& context_;
    std::vector<asio::const_buffer> buffers_;
    Clock::time_point queuedAt_{};  // the first record queued while idle; zero: none
    bool flushScheduled_ = false;
    bool handshaking_ = false;
    bool firstRead_ = true;
};

}  // namespace ardentis::server
