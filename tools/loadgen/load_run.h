#pragma once

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/common/lobby_client.h"
#include "tools/loadgen/latency.h"
#include "tools/loadgen/load_options.h"

namespace ardentis::loadgen {

using tools::ClientEvents;
using tools::LobbyClient;

// One load run: log everyone in, seat them, send at the rate for the duration, report.
class LoadRun : public ClientEvents {
  public:
    LoadRun(asio::io_context& io, LoadOptions options, asio::ip::tcp::endpoint server);

    void start();
    // The report; false when the run could not set up or lost clients.
    [[nodiscard]] bool report();

    void onRecord(LobbyClient& client, const protocol::LobbyMessage& message) override;
    void onClosed(LobbyClient& client) override;

  private:
    using Clock = std::chrono::steady_clock;

    void connectMore();
    void seat();
    void measure();
    void tick();
    void finish();
    void timed(const protocol::LobbyMessage& message);
    [[nodiscard]] protocol::LobbyMessage chatFrom(const LobbyClient& client) const;
    [[nodiscard]] std::int64_t nowNs() const;

    asio::io_context& io_;
    LoadOptions options_;
    asio::ip::tcp::endpoint server_;
    asio::steady_timer timer_;
    asio::steady_timer setupLimit_;
    asio::ssl::context tls_{asio::ssl::context::tls_client};  // used with --tls
    std::vector<std::shared_ptr<LobbyClient>> clients_;
    Clock::time_point origin_ = Clock::now();
    Clock::time_point measureStart_;
    Clock::time_point measureEnd_;
    double setupSeconds_ = 0;
    double loginSeconds_ = 0;  // from the start until the last log-in's answer
    std::size_t started_ = 0;
    std::size_t loggingIn_ = 0;
    std::size_t loggedIn_ = 0;
    std::size_t refused_ = 0;
    std::size_t lost_ = 0;
    std::size_t hostsReady_ = 0;
    std::size_t seated_ = 0;
    std::size_t sendCursor_ = 0;
    std::uint64_t sent_ = 0;
    std::uint64_t delivered_ = 0;
    std::uint64_t expected_ = 0;
    bool measuring_ = false;
    bool setupDone_ = false;
    bool failed_ = false;
    Latency latency_;
};

}  // namespace ardentis::loadgen
