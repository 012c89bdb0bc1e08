#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/lobby_message.h"
#include "server/password_hasher.h"

namespace ardentis::server {

struct ServerOptions {
    std::string host = "0.0.0.0";
    std::uint16_t port = 8888;
    // A second listener for TLS clients, off unless a host is given; PEM files for it.
    std::string tlsHost;
    std::uint16_t tlsPort = 0;
    std::string tlsCert;
    std::string tlsKey;
    // Plain HTTP for a Prometheus scraper, off unless a host is given.
    std::string metricsHost;
    std::uint16_t metricsPort = 0;
    // The administrators' Unix socket (mode 0600), off unless a path is given.
    std::string controlSocket;
    std::string database = "ardentis.db";
    bool autoRegister = false;
    std::size_t maxClients = 10000;
    // A reader that has taken nothing for slowReader with this much waiting is cut off; one
    // with sixteen times as much, at once.
    std::size_t queueBytes = 1024 * protocol::kRecordSize;
    std::chrono::milliseconds slowReader{10000};
    std::chrono::milliseconds loginTimeout{30000};
    HashCost hashCost = HashCost::Interactive;
    double chatRate = 5.0;  // chat lines a second, per connection
    double chatBurst = 20.0;
    double recordRate = 200.0;  // any record, per connection
    double recordBurst = 1000.0;
    std::size_t loginFailures = 5;  // per address within the window, then refused
    std::chrono::seconds loginFailureWindow{60};
    std::chrono::seconds keepAliveIdle{60};
    bool takeover = true;  // a good log-in replaces a session of the same account still open
    std::chrono::milliseconds seatGrace{20000};  // a dropped member's seat waits this long
    // How long a resumption token lets its client back in without a password; zero: no tokens.
    std::chrono::seconds tokenLifetime = std::chrono::days(7);

    bool operator==(const ServerOptions&) const = default;
};

enum class CommandKind : std::uint8_t {
    Serve,
    UserAdd,
    UserPasswd,
    UserList,
    UserRemove,
    TlsMakeCert,
    CheckConfig,  // --check-config: the options are read and checked, nothing starts
    Admin,        // admin VERB ...: a request to a running server's control socket
    Help
};

struct Command {
    CommandKind kind = CommandKind::Serve;
    ServerOptions options;
    std::string name;                     // user add/passwd/remove: the account, as typed (UTF-8)
    std::optional<std::string> nickname;  // user add --nickname
    std::string certName;                 // tls make-cert --name
    std::string outDirectory;             // tls make-cert --out
    std::vector<std::string> adminWords;  // admin: the verb and what follows, as typed
};

struct UsageError {
    std::string message;
    bool showUsage = true;  // false for a config file's line: the usage text would not help
};

// The command line without the program name; with --config FILE, the file's settings first.
[[nodiscard]] std::expected<Command, UsageError> parseCommandLine(
    std::span<const std::string_view> arguments);
[[nodiscard]] std::string usageText();

}  // namespace ardentis::server
