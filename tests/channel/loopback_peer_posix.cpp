#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "tests/channel/loopback_peer.h"

namespace ardentis::testing {
namespace {

constexpr int kWaitMs = 5000;

void closeIfOpen(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

bool readable(int fd, int waitMs) {
    pollfd watch{.fd = fd, .events = POLLIN, .revents = 0};
    return ::poll(&watch, 1, waitMs) > 0;
}

}  // namespace

struct LoopbackPeer::Sockets {
    int listener = -1;
    int connection = -1;
    std::uint16_t port = 0;
};

LoopbackPeer::LoopbackPeer() : sockets_(std::make_unique<Sockets>()) {
    sockets_->listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sockets_->listener < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(sockets_->listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(sockets_->listener, 4) != 0 ||
        ::getsockname(sockets_->listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("listen on loopback failed: " + std::to_string(errno));
    }
    sockets_->port = ntohs(address.sin_port);
}

LoopbackPeer::~LoopbackPeer() {
    closeIfOpen(sockets_->connection);
    closeIfOpen(sockets_->listener);
}

std::uint16_t LoopbackPeer::port() const {
    return sockets_->port;
}

bool LoopbackPeer::accept() {
    if (!readable(sockets_->listener, kWaitMs)) {
        return false;
    }
    sockets_->connection = ::accept4(sockets_->listener, nullptr, nullptr, SOCK_CLOEXEC);
    return sockets_->connection >= 0;
}

void LoopbackPeer::stopListening() {
    closeIfOpen(sockets_->listener);
}

void LoopbackPeer::send(std::span<const std::byte> bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(sockets_->connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            throw std::runtime_error("peer send failed: " + std::to_string(errno));
        }
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
}

std::vector<std::byte> LoopbackPeer::receive(std::size_t count) {
    std::vector<std::byte> bytes(count);
    std::size_t got = 0;
    while (got < count && readable(sockets_->connection, kWaitMs)) {
        const ssize_t n = ::recv(sockets_->connection, bytes.data() + got, count - got, 0);
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

std::vector<std::byte> LoopbackPeer::receiveWaiting(std::size_t limit) {
    std::vector<std::byte> bytes(limit);
    const ssize_t n = ::recv(sockets_->connection, bytes.data(), limit, MSG_DONTWAIT);
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0U);
    return bytes;
}

void LoopbackPeer::close() {
    closeIfOpen(sockets_->connection);
}

std::chrono::nanoseconds threadCpuTime() {
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

}  // namespace ardentis::testing
