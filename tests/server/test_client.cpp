#include "tests/server/test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace ardentis::server::testing {

TestClient::TestClient(std::uint16_t port, int receiveBuffer) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) {
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        abort();
    }
}

void TestClient::abort() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool TestClient::sendBytes(std::span<const std::byte> bytes) {
    while (!bytes.empty() && fd_ >= 0) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0 && errno != EINTR) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(std::max<ssize_t>(sent, 0)));
    }
    return fd_ >= 0;
}

bool TestClient::fill(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd entry{fd_, POLLIN, 0};
    if (fd_ < 0 || ended_ || left.count() < 0 ||
        ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
        return false;
    }
    std::byte chunk[16384];
    const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
    if (got <= 0) {
        ended_ = got == 0 || errno != EINTR;
        return !ended_;
    }
    buffer_.insert(buffer_.end(), chunk, chunk + got);
    return true;
}

std::optional<LobbyMessage> TestClient::receive(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (buffer_.size() < protocol::kRecordSize) {
        if (!fill(deadline)) {
            return std::nullopt;
        }
    }
    auto message = LobbyMessage::fromBytes(std::span(buffer_).first(protocol::kRecordSize));
    buffer_.erase(buffer_.begin(), buffer_.begin() + protocol::kRecordSize);
    return *message;
}

std::optional<LobbyMessage> TestClient::waitFor(
    const std::function<bool(const LobbyMessage&)>& match, std::vector<LobbyMessage>* seen) {
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (auto message = receive(std::chrono::duration_cast<std::chrono::milliseconds>(
               deadline - std::chrono::steady_clock::now()))) {
        if (seen != nullptr) {
            seen->push_back(*message);
        }
        if (match(*message)) {
            return message;
        }
    }
    return std::nullopt;
}

}  // namespace ardentis::server::testing
