#include "server/moderation.h"

#include <charconv>
#include <chrono>
#include <ctime>
#include <vector>

#include "server/log.h"

namespace ardentis::server {
namespace {

constexpr const char* kIsoFormat = "%Y-%m-%dT%H:%M:%SZ";

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t')) {
        out.push_back(line.substr(0, tab));
        line.remove_prefix(tab + 1);
    }
    out.push_back(line);
    return out;
}

const char* nameOf(Sanction kind) {
    return kind == Sanction::Ban ? "banned" : "muted";
}

}  // namespace

std::int64_t wallSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string formatUntil(std::int64_t until) {
    if (until == kForever) {
        return "forever";
    }
    const auto seconds = static_cast<std::time_t>(until);
    std::tm utc{};
    char text[32] = {};
    if (::gmtime_r(&seconds, &utc) == nullptr ||
        std::strftime(text, sizeof text, kIsoFormat, &utc) == 0) {
        return std::to_string(until);
    }
    return text;
}

std::optional<std::int64_t> parseUntil(std::string_view text) {
    const std::string copy(text);
    std::tm utc{};
    const char* end = ::strptime(copy.c_str(), kIsoFormat, &utc);
    if (end == nullptr || *end != '\0') {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(::timegm(&utc));
}

std::optional<std::int64_t> parseDuration(std::string_view text) {
    constexpr std::int64_t kMaxCount = 100'000;
    if (text.size() < 2) {
        return std::nullopt;
    }
    std::int64_t unit = 0;
    switch (text.back()) {
        case 's':
            unit = 1;
            break;
        case 'm':
            unit = 60;
            break;
        case 'h':
            unit = 3600;
            break;
        case 'd':
            unit = 86400;
            break;
        default:
            return std::nullopt;
    }
    const std::string_view digits = text.substr(0, text.size() - 1);
    std::int64_t count = 0;
    const auto [at, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    if (ec != std::errc() || at != digits.data() + digits.size() || count <= 0 ||
        count > kMaxCount) {
        return std::nullopt;
    }
    return count * unit;
}

Moderation::Moderation(AccountStore& store, Lobby& lobby, Kick kick)
    : store_(store), lobby_(lobby), kick_(std::move(kick)) {}

std::string Moderation::handle(std::string_view request) {
    const auto f = fields(request);
    const std::string_view verb = f[0];
    if (verb == "motd" && f.size() == 2) {
        return motd(f[1]);
    }
    if (f.size() < 2 || f[1].empty()) {
        return "error bad request";
    }
    if (verb == "kick" && f.size() == 2) {
        return kick(f[1]);
    }
    if ((verb == "ban" || verb == "mute") && f.size() == 3) {
        return impose(f[1], verb == "ban" ? Sanction::Ban : Sanction::Mute, f[2]);
    }
    if ((verb == "unban" || verb == "unmute") && f.size() == 2) {
        return lift(f[1], verb == "unban" ? Sanction::Ban : Sanction::Mute);
    }
    return "error bad request";
}

std::string Moderation::kick(std::string_view account) {
    if (!kick_(account, "kicked by an administrator")) {
        return "error " + log::text(account) + " is not on line";
    }
    log::line("admin: " + log::text(account) + " kicked");
    return "ok kicked " + log::text(account);
}

std::string Moderation::impose(std::string_view account, Sanction kind, std::string_view until) {
    std::int64_t end = 0;
    const auto [at, ec] = std::from_chars(until.data(), until.data() + until.size(), end);
    if (ec != std::errc() || at != until.data() + until.size()) {
        return "error bad until";
    }
    const auto done = store_.sanction(account, kind, end);
    if (!done) {
        log::line("account store: " + log::plain(done.error().detail));
        return "error the database failed";
    }
    if (!*done) {
        return "error no account " + log::text(account);
    }
    const std::string what = log::text(account) + " " + nameOf(kind) + " until " + formatUntil(end);
    log::line("admin: " + what);
    if (kind == Sanction::Ban) {
        static_cast<void>(kick_(account, "banned by an administrator"));
    }
    return "ok " + what;
}

std::string Moderation::lift(std::string_view account, Sanction kind) {
    const auto done = store_.lift(account, kind);
    if (!done) {
        log::line("account store: " + log::plain(done.error().detail));
        return "error the database failed";
    }
    if (!*done) {
        const auto found = store_.find(account);
        const bool known = found && found->has_value();
        return "error " + (known ? log::text(account) + " is not " + nameOf(kind)
                                 : "no account " + log::text(account));
    }
    const std::string what =
        log::text(account) + (kind == Sanction::Ban ? " unbanned" : " unmuted");
    log::line("admin: " + what);
    return "ok " + what;
}

std::string Moderation::motd(std::string_view text) {
    if (text.size() > kMaxMotd) {
        return "error the message is longer than " + std::to_string(kMaxMotd) + " bytes";
    }
    if (auto done = store_.setMotd(text); !done) {
        log::line("account store: " + log::plain(done.error().detail));
        return "error the database failed";
    }
    lobby_.setMotd(text);
    log::line(text.empty() ? std::string("admin: message of the day cleared")
                           : "admin: message of the day: " + log::text(text));
    return text.empty() ? "ok message of the day cleared" : "ok message of the day set";
}

bool Moderation::muted(std::string_view account) {
    const auto end = store_.sanctionEnd(account, Sanction::Mute, wallSeconds());
    if (!end) {
        log::line("account store: " + log::plain(end.error().detail));
        return false;
    }
    return end->has_value();
}

void Moderation::loadMotd() {
    const auto text = store_.motd();
    if (!text) {
        log::line("account store: " + log::plain(text.error().detail));
        return;
    }
    lobby_.setMotd(*text);
}

}  // namespace ardentis::server
