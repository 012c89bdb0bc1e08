#include "server/options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include "protocol/lobby_message.h"
#include "server/config_file.h"

namespace ardentis::server {
namespace {

template <typename T>
std::optional<T> parseNumber(std::string_view text, T min, T max) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::expected<void, UsageError> parseListen(std::string_view name, std::string_view text,
                                            std::string& hostOut, std::uint16_t& portOut) {
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::unexpected(UsageError{std::string(name) + " wants HOST:PORT"});
    }
    const auto port = parseNumber<std::uint16_t>(text.substr(colon + 1), 0, 65535);
    if (!port) {
        return std::unexpected(UsageError{std::string(name) + ": bad port"});
    }
    std::string_view host = text.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    hostOut = std::string(host);
    portOut = *port;
    return {};
}

std::optional<HashCost> parseCost(std::string_view text) {
    if (text == "interactive") {
        return HashCost::Interactive;
    }
    if (text == "moderate") {
        return HashCost::Moderate;
    }
    if (text == "min") {
        return HashCost::Minimum;
    }
    return std::nullopt;
}

// One option with its value; false when `name` is not an option with a value.
std::expected<bool, UsageError> parseValued(std::string_view name, std::string_view value,
                                            Command& command) {
    ServerOptions& o = command.options;
    const auto bad = [&] {
        return std::unexpected(UsageError{"bad value for " + std::string(name)});
    };
    const auto count = [&](std::size_t& out, std::size_t min) -> std::expected<bool, UsageError> {
        const auto n = parseNumber<std::size_t>(value, min, std::numeric_limits<int>::max());
        if (!n) {
            return bad();
        }
        out = *n;
        return true;
    };
    const auto rate = [&](double& out) -> std::expected<bool, UsageError> {
        const auto n = parseNumber<std::size_t>(value, 1, 100'000'000);
        if (!n) {
            return bad();
        }
        out = static_cast<double>(*n);
        return true;
    };
    for (const auto& [option, host, port] :
         {std::tuple("--listen", &o.host, &o.port),
          std::tuple("--tls-listen", &o.tlsHost, &o.tlsPort),
          std::tuple("--metrics-listen", &o.metricsHost, &o.metricsPort)}) {
        if (name == option) {
            auto ok = parseListen(name, value, *host, *port);
            if (!ok) {
                return std::unexpected(ok.error());
            }
            return true;
        }
    }
    for (const auto& [option, field] :
         {std::pair("--tls-cert", &o.tlsCert), std::pair("--tls-key", &o.tlsKey),
          std::pair("--control-socket", &o.controlSocket), std::pair("--name", &command.certName),
          std::pair("--out", &command.outDirectory)}) {
        if (name == option) {
            *field = std::string(value);
            return true;
        }
    }
    if (name == "--db") {
        o.database = std::string(value);
        return true;
    }
    if (name == "--nickname") {
        command.nickname = std::string(value);
        return true;
    }
    if (name == "--hash-cost") {
        const auto cost = parseCost(value);
        if (!cost) {
            return bad();
        }
        o.hashCost = *cost;
        return true;
    }
    if (name == "--max-clients") {
        return count(o.maxClients, 1);
    }
    if (name == "--queue-bytes") {
        return count(o.queueBytes, 1);
    }
    if (name == "--queue-limit") {  // the older spelling, in records
        std::size_t records = 0;
        auto ok = count(records, 1);
        o.queueBytes = records * protocol::kRecordSize;
        return ok;
    }
    if (name == "--login-failures") {
        return count(o.loginFailures, 1);
    }
    const auto milliseconds = [&](std::chrono::milliseconds& out, std::size_t min) {
        std::size_t ms = 0;
        auto ok = count(ms, min);
        out = std::chrono::milliseconds(ms);
        return ok;
    };
    if (name == "--login-timeout-ms") {
        return milliseconds(o.loginTimeout, 1);
    }
    if (name == "--slow-reader-ms") {
        return milliseconds(o.slowReader, 1);
    }
    if (name == "--seat-grace-ms") {
        return milliseconds(o.seatGrace, 0);
    }
    if (name == "--login-failure-window") {
        std::size_t s = 0;
        auto ok = count(s, 1);
        o.loginFailureWindow = std::chrono::seconds(s);
        return ok;
    }
    if (name == "--keepalive-idle") {
        std::size_t s = 0;
        auto ok = count(s, 1);
        o.keepAliveIdle = std::chrono::seconds(s);
        return ok;
    }
    if (name == "--token-days") {
        constexpr std::size_t kMaxDays = 3650;
        const auto days = parseNumber<std::size_t>(value, 0, kMaxDays);
        if (!days) {
            return bad();
        }
        o.tokenLifetime = std::chrono::days(*days);
        return true;
    }
    if (name == "--takeover") {
        if (value != "on" && value != "off") {
            return bad();
        }
        o.takeover = value == "on";
        return true;
    }
    if (name == "--chat-rate") {
        return rate(o.chatRate);
    }
    if (name == "--chat-burst") {
        return rate(o.chatBurst);
    }
    if (name == "--record-rate") {
        return rate(o.recordRate);
    }
    if (name == "--record-burst") {
        return rate(o.recordBurst);
    }
    return false;
}

// One option from the command line or a config file; false when `name` is no option. A flag's
// value is true or false.
std::expected<bool, UsageError> applyOption(std::string_view name, std::string_view value,
                                            Command& command) {
    if (name == "--auto-register") {
        if (value != "true" && value != "false") {
            return std::unexpected(UsageError{"bad value for " + std::string(name)});
        }
        command.options.autoRegister = value == "true";
        return true;
    }
    return parseValued(name, value, command);
}

// The file's settings go through the same parser as the command line's; a failure names the
// file and line.
std::expected<void, UsageError> applyConfigFile(const std::string& path, Command& command) {
    // Options of a subcommand, not of the server a file configures.
    constexpr std::array<std::string_view, 3> kSubcommandOnly{"nickname", "name", "out"};
    const auto settings = readConfigFile(path);
    if (!settings) {
        return std::unexpected(UsageError{settings.error(), false});
    }
    for (const ConfigSetting& setting : *settings) {
        const auto where = path + ":" + std::to_string(setting.line) + ": ";
        auto known = std::ranges::find(kSubcommandOnly, setting.key) != kSubcommandOnly.end()
                         ? false
                         : applyOption("--" + setting.key, setting.value, command);
        if (!known) {
            return std::unexpected(UsageError{where + known.error().message, false});
        }
        if (!*known) {
            return std::unexpected(UsageError{where + "unknown key " + setting.key, false});
        }
    }
    return {};
}

// `admin`: where the server is (--control-socket, or a config file naming it) goes through
// the options; the rest are the request's words, for the admin command to read.
std::expected<Command, UsageError> parseAdmin(std::span<const std::string_view> arguments) {
    std::vector<std::string_view> located;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const bool where = argument == "--control-socket" || argument == "--config";
        if (where || argument.starts_with("--control-socket=") ||
            argument.starts_with("--config=")) {
            located.push_back(argument);
            if (where && i + 1 < arguments.size()) {
                located.push_back(arguments[++i]);
            }
        } else {
            words.emplace_back(argument);
        }
    }
    auto command = parseCommandLine(located);
    if (command) {
        command->kind = CommandKind::Admin;
        command->adminWords = std::move(words);
    }
    return command;
}

}  // namespace

std::expected<Command, UsageError> parseCommandLine(std::span<const std::string_view> arguments) {
    if (!arguments.empty() && arguments[0] == "admin") {
        return parseAdmin(arguments.subspan(1));
    }
    Command command;
    std::size_t i = 0;
    if (!arguments.empty() && arguments[0] == "tls") {
        if (arguments.size() < 2 || arguments[1] != "make-cert") {
            return std::unexpected(UsageError{"tls wants make-cert"});
        }
        command.kind = CommandKind::TlsMakeCert;
        i = 2;
    }
    if (!arguments.empty() && arguments[0] == "user") {
        if (arguments.size() < 2) {
            return std::unexpected(UsageError{"user wants add, passwd, list or remove"});
        }
        const std::string_view verb = arguments[1];
        const bool named = verb == "add" || verb == "passwd" || verb == "remove";
        if (verb != "list" && !named) {
            return std::unexpected(UsageError{"unknown user command: " + std::string(verb)});
        }
        if (named && (arguments.size() < 3 || arguments[2].starts_with("--"))) {
            return std::unexpected(UsageError{"user " + std::string(verb) + " wants a NAME"});
        }
        command.kind = verb == "add"      ? CommandKind::UserAdd
                       : verb == "passwd" ? CommandKind::UserPasswd
                       : verb == "list"   ? CommandKind::UserList
                                          : CommandKind::UserRemove;
        if (named) {
            command.name = std::string(arguments[2]);
        }
        i = named ? 3 : 2;
    }
    // Applied after the config file, so that the command line wins.
    std::vector<std::pair<std::string_view, std::string_view>> given;
    std::optional<std::string> configFile;
    bool checkOnly = false;
    for (; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            command.kind = CommandKind::Help;
            return command;
        }
        if (argument == "--check-config") {
            checkOnly = true;
            continue;
        }
        if (argument == "--auto-register") {
            given.emplace_back(argument, "true");
            continue;
        }
        std::string_view name = argument;
        std::string_view value;
        bool inlineValue = false;
        if (const auto eq = argument.find('=');
            argument.starts_with("--") && eq != std::string_view::npos) {
            name = argument.substr(0, eq);
            value = argument.substr(eq + 1);
            inlineValue = true;
        } else if (i + 1 < arguments.size()) {
            value = arguments[i + 1];
        }
        if (!inlineValue && i + 1 >= arguments.size() && name.starts_with("--")) {
            return std::unexpected(UsageError{std::string(name) + " wants a value"});
        }
        if (name == "--config" && configFile) {
            return std::unexpected(UsageError{"--config given twice"});
        }
        if (name == "--config") {
            configFile = std::string(value);
        } else {
            given.emplace_back(name, value);
        }
        if (!inlineValue) {
            ++i;
        }
    }
    if (configFile) {
        if (auto ok = applyConfigFile(*configFile, command); !ok) {
            return std::unexpected(ok.error());
        }
    }
    for (const auto& [name, value] : given) {
        auto known = applyOption(name, value, command);
        if (!known) {
            return std::unexpected(known.error());
        }
        if (!*known) {
            return std::unexpected(UsageError{"unknown argument: " + std::string(name)});
        }
    }
    if (checkOnly && command.kind != CommandKind::Serve) {
        return std::unexpected(UsageError{"--check-config belongs to serving"});
    }
    if (checkOnly) {
        command.kind = CommandKind::CheckConfig;
    }
    if (command.nickname && command.kind != CommandKind::UserAdd) {
        return std::unexpected(UsageError{"--nickname belongs to user add"});
    }
    const bool makeCert = command.kind == CommandKind::TlsMakeCert;
    if (makeCert && (command.certName.empty() || command.outDirectory.empty())) {
        return std::unexpected(UsageError{"tls make-cert wants --name HOST and --out DIR"});
    }
    if (!makeCert && !(command.certName.empty() && command.outDirectory.empty())) {
        return std::unexpected(UsageError{"--name and --out belong to tls make-cert"});
    }
    return command;
}

std::string usageText() {
    return "usage: ardentis-server [--config FILE] [--check-config] [options]\n"
           "       ardentis-server user add NAME [--nickname TEXT] [--db FILE]  (password on "
           "stdin)\n"
           "       ardentis-server user passwd NAME [--db FILE]  (new password on stdin; its "
           "tokens end)\n"
           "       ardentis-server user list [--db FILE]\n"
           "       ardentis-server user remove NAME [--db FILE]\n"
           "       ardentis-server tls make-cert --name HOST --out DIR  (a key and a "
           "self-signed certificate)\n"
           "       ardentis-server admin [--control-socket PATH | --config FILE] kick ACCOUNT\n"
           "       ardentis-server admin ... ban|mute ACCOUNT [--until YYYY-MM-DDTHH:MM:SSZ | "
           "--for 30m|12h|7d]\n"
           "       ardentis-server admin ... unban|unmute ACCOUNT\n"
           "       ardentis-server admin ... motd TEXT | motd --clear  (after each log-in, as "
           "a lobby chat line)\n"
           "  --config FILE               options as key = value lines (the option without --, "
           "a flag true|false);\n"
           "                              # starts a comment line; the command line wins\n"
           "  --check-config              read the options, config file and TLS files, start "
           "nothing\n"
           "options:\n"
           "  --listen HOST:PORT          where to listen (0.0.0.0:8888; port 0 picks one)\n"
           "  --tls-listen HOST:PORT      also serve TLS clients there (off; port 0 picks one)\n"
           "  --tls-cert FILE, --tls-key FILE        the TLS listener's certificate chain and "
           "key (PEM)\n"
           "  --db FILE                   account database, created when missing (ardentis.db)\n"
           "  --auto-register             a log-in with an unknown account creates it\n"
           "  --max-clients N             connections held at most (10000)\n"
           "  --queue-bytes N, --slow-reader-ms N    a reader that takes nothing for that long "
           "with that\n"
           "                              much queued is cut off; with 16 times as much, at once "
           "(385024, 10000)\n"
           "  --queue-limit N             the queue bound in records of 376 bytes (1024)\n"
           "  --login-timeout-ms N        time to log in before the connection closes (30000)\n"
           "  --hash-cost interactive|moderate|min   Argon2id cost of new hashes (interactive)\n"
           "  --chat-rate N, --chat-burst N          chat lines per second and burst per "
           "connection (5, 20)\n"
           "  --record-rate N, --record-burst N      records per second and burst per connection "
           "(200, 1000)\n"
           "  --login-failures N          failed log-ins per address before refusing (5)\n"
           "  --login-failure-window S    seconds the failures are remembered (60)\n"
           "  --keepalive-idle S          idle seconds before TCP keep-alive probes (60)\n"
           "  --takeover on|off           a good log-in replaces the account's open session "
           "(on)\n"
           "  --seat-grace-ms N           a dropped member's room seat is kept this long; 0 "
           "frees it at once (20000)\n"
           "  --token-days N              days a log-in's resumption token lets its client back "
           "in without a password; 0: no tokens (7)\n"
           "  --metrics-listen HOST:PORT  serve Prometheus metrics over HTTP at /metrics there "
           "(off; keep it on loopback)\n"
           "  --control-socket PATH       take admin requests at this Unix socket, mode 0600 "
           "(off)\n";
}

}  // namespace ardentis::server
