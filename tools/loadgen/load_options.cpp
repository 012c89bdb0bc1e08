#include "tools/loadgen/load_options.h"

#include <charconv>

namespace ardentis::loadgen {
namespace {

template <typename T>
bool number(std::string_view text, T& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::expected<LoadOptions, std::string> parseLoadOptions(std::span<const std::string_view> args) {
    LoadOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view name = args[i];
        if (name == "--tls") {
            o.tls = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            return std::unexpected(std::string(name) + " wants a value");
        }
        const std::string_view value = args[++i];
        std::size_t seconds = 0;
        bool ok = true;
        if (name == "--server") {
            const auto colon = value.rfind(':');
            ok = colon != std::string_view::npos && number(value.substr(colon + 1), o.port);
            o.host = std::string(value.substr(0, colon));
        } else if (name == "--clients") {
            ok = number(value, o.clients) && o.clients > 0;
        } else if (name == "--room-size") {
            ok = number(value, o.roomSize) && o.roomSize != 1 && o.roomSize < 128;
        } else if (name == "--rate") {
            ok = number(value, o.rate) && o.rate >= 0;
        } else if (name == "--duration") {
            ok = number(value, seconds) && seconds > 0 && seconds <= 3600;
            o.duration = std::chrono::seconds(seconds);
        } else if (name == "--concurrent-logins") {
            ok = number(value, o.concurrentLogins) && o.concurrentLogins > 0;
        } else if (name == "--setup-limit") {
            ok = number(value, seconds) && seconds > 0 && seconds <= 3600;
            o.setupLimit = std::chrono::seconds(seconds);
        } else if (name == "--prefix") {
            o.prefix = std::string(value);
            ok = !o.prefix.empty() && o.prefix.size() <= 12;
        } else if (name == "--password") {
            o.password = std::string(value);
        } else {
            return std::unexpected("unknown argument: " + std::string(name));
        }
        if (!ok) {
            return std::unexpected("bad value for " + std::string(name));
        }
    }
    return o;
}

std::string loadUsage() {
    return "usage: ardentis-loadgen [--server 127.0.0.1:8888] [--clients N] [--room-size K]\n"
           "                        [--rate R] [--duration S] [--concurrent-logins N]\n"
           "                        [--setup-limit S] [--prefix P] [--password W] [--tls]\n"
           "Logs N clients in to a server on this machine (run it with --auto-register and\n"
           "--hash-cost min), seats them in rooms of K (0: all in the lobby), has each send R\n"
           "chat records a second for S seconds, and prints clients held, records delivered a\n"
           "second and the delivery latency percentiles. With --tls the server address is its\n"
           "TLS port (its certificate is not checked).\n";
}

}  // namespace ardentis::loadgen
