#include "server/admin_command.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <expected>
#include <ostream>
#include <span>
#include <string>

#include "server/login_service.h"
#include "server/moderation.h"
#include "text/code_page.h"

namespace ardentis::server {
namespace {

constexpr std::size_t kMaxAnswer = 4096;

using Request = std::expected<std::string, std::string>;

Request accountOf(const std::string& typed) {
    const auto converted = text::fromUtf8(typed);
    if (!converted || !isValidAccountName(converted->bytes())) {
        return std::unexpected("not an account name: " + typed);
    }
    return converted->bytes();
}

// "\tUNTIL" from [--until TIME | --for DURATION]; forever without either.
Request untilOf(std::span<const std::string> words) {
    if (words.empty()) {
        return "\t" + std::to_string(kForever);
    }
    if (words.size() != 2 || (words[0] != "--until" && words[0] != "--for")) {
        return std::unexpected(
            std::string("expected --until YYYY-MM-DDTHH:MM:SSZ or --for 30m|12h|7d"));
    }
    const bool absolute = words[0] == "--until";
    const auto until =
        absolute
            ? parseUntil(words[1])
            : parseDuration(words[1]).transform([](std::int64_t d) { return wallSeconds() + d; });
    if (!until) {
        return std::unexpected((absolute ? "bad time: " : "bad duration: ") + words[1]);
    }
    return "\t" + std::to_string(*until);
}

Request motdOf(std::span<const std::string> words) {
    if (words.size() == 1 && words[0] == "--clear") {
        return std::string("motd\t");
    }
    std::string typed;
    for (const std::string& word : words) {
        typed += (typed.empty() ? "" : " ") + word;
    }
    const auto converted = text::fromUtf8(typed);
    if (!converted) {
        return std::unexpected("the text has no GBK form: " +
                               std::string(text::describe(converted.error())));
    }
    const std::string& bytes = converted->bytes();
    if (bytes.empty() ||
        std::ranges::any_of(bytes, [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
        return std::unexpected(std::string("motd wants a text of one line, or --clear"));
    }
    if (bytes.size() > kMaxMotd) {
        return std::unexpected("the text is " + std::to_string(bytes.size()) + " bytes in GBK; " +
                               std::to_string(kMaxMotd) + " fit");
    }
    return "motd\t" + bytes;
}

// The request line for the words of the command line.
Request requestOf(std::span<const std::string> words) {
    if (words.empty()) {
        return std::unexpected(std::string("admin wants kick, ban, unban, mute, unmute or motd"));
    }
    const std::string& verb = words[0];
    if (verb == "motd") {
        return motdOf(words.subspan(1));
    }
    const bool timed = verb == "ban" || verb == "mute";
    if (!timed && verb != "kick" && verb != "unban" && verb != "unmute") {
        return std::unexpected("unknown admin command: " + verb);
    }
    if (words.size() < 2 || words[1].starts_with("--") || (!timed && words.size() != 2)) {
        return std::unexpected(verb + " wants one ACCOUNT" +
                               (timed ? " [--until TIME | --for DURATION]" : ""));
    }
    auto account = accountOf(words[1]);
    if (!account) {
        return account;
    }
    auto until = timed ? untilOf(words.subspan(2)) : std::string();
    if (!until) {
        return until;
    }
    return verb + "\t" + *account + *until;
}

// Sends the line and reads the answer until the server closes; bounded in size and time.
std::expected<std::string, std::string> exchange(const std::string& path, const std::string& line) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return std::unexpected("socket path too long: " + path);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return std::unexpected(std::string("socket: ") + std::strerror(errno));
    }
    const timeval wait{.tv_sec = 10, .tv_usec = 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    std::string answer;
    std::string failure;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        failure = "no server answers at " + path + ": " + std::strerror(errno);
    } else if (const std::string sent = line + "\n";
               ::send(fd, sent.data(), sent.size(), MSG_NOSIGNAL) !=
               static_cast<ssize_t>(sent.size())) {
        failure = "cannot send to " + path + ": " + std::strerror(errno);
    } else {
        char buffer[512];
        ssize_t got = 0;
        while (answer.size() < kMaxAnswer && (got = ::read(fd, buffer, sizeof buffer)) > 0) {
            answer.append(buffer, static_cast<std::size_t>(got));
        }
        if (got < 0) {
            failure = "no answer from " + path + ": " + std::strerror(errno);
        }
    }
    ::close(fd);
    if (!failure.empty()) {
        return std::unexpected(failure);
    }
    return answer;
}

}  // namespace

int runAdminCommand(const Command& command, std::ostream& out, std::ostream& err) {
    const auto request = requestOf(command.adminWords);
    if (!request) {
        err << "ardentis-server: " << request.error() << "\n";
        return 2;
    }
    const std::string& path = command.options.controlSocket;
    if (path.empty()) {
        err << "ardentis-server: admin wants --control-socket PATH, or --config FILE that sets "
               "control-socket\n";
        return 2;
    }
    const auto answer = exchange(path, *request);
    if (!answer) {
        err << "ardentis-server: " << answer.error() << "\n";
        return 3;
    }
    if (answer->starts_with("ok ")) {
        out << answer->substr(3);
        return 0;
    }
    err << "ardentis-server: " << (answer->starts_with("error ") ? answer->substr(6) : *answer);
    return 1;
}

}  // namespace ardentis::server
