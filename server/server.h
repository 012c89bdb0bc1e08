#pragma once

#include <asio/ssl/context.hpp>
#include <cstdint>
#include <expected>
#include <memory>
#include <string>
#include <system_error>

#include "server/account_store.h"
#include "server/options.h"

namespace ardentis::server {

// The lobby server: one event loop, the listening sockets (plain, and TLS when it has a
// TLS context), the sessions, the lobby, and a thread a core for password hashes.
class Server {
  public:
    Server(ServerOptions options, AccountStore store,
           std::unique_ptr<asio::ssl::context> tls = nullptr);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds and listens; the port actually taken (port 0 picks a free one).
    [[nodiscard]] std::expected<std::uint16_t, std::error_code> listen();
    // The same for TLS clients at the options' TLS address; only with a TLS context.
    [[nodiscard]] std::expected<std::uint16_t, std::error_code> listenTls();
    // Serves the Prometheus text of its counts at the options' metrics address.
    [[nodiscard]] std::expected<std::uint16_t, std::error_code> listenMetrics();
    // Takes administrators' requests at the options' control socket path; a server that
    // answers there already is an error.
    [[nodiscard]] std::expected<void, std::string> listenControl();
    // Runs the event loop until stop() and the connections have closed.
    void run();
    // From any thread or a signal handler's completion: closes everything, then run() returns.
    void stop();
    // Stops on SIGINT or SIGTERM (for the program, not for servers inside tests).
    void stopOnSignals();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ardentis::server
