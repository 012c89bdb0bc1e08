#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/channel/loopback_peer.h"

namespace ardentis::testing {
namespace {

void closeIfOpen(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

bool readable(int fd) {
    pollfd watch{.fd = fd, .events = POLLIN, .revents = 0};
    return ::poll(&watch, 1, 5000) > 0;
}

}  // namespace

struct LoopbackPeer::Sockets {
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int connection = -1;
    sockaddr_in address{
        .sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
};

LoopbackPeer::LoopbackPeer() : sockets_(std::make_unique<Sockets>()) {
    auto* address = reinterpret_cast<sockaddr*>(&sockets_->address);
    socklen_t length = sizeof sockets_->address;
    if (::bind(sockets_->listener, address, length) != 0 || ::listen(sockets_->listener, 4) != 0 ||
        ::getsockname(sockets_->listener, address, &length) != 0) {
        throw std::runtime_error("listening on loopback failed");
    }
}

LoopbackPeer::~LoopbackPeer() {
    closeIfOpen(sockets_->connection);
    closeIfOpen(sockets_->listener);
}

std::uint16_t LoopbackPeer::port() const {
    return ntohs(sockets_->address.sin_port);
}

bool LoopbackPeer::accept() {
    if (readable(sockets_->listener)) {
        sockets_->connection = ::accept4(sockets_->listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    return sockets_->connection >= 0;
}

void LoopbackPeer::send(std::span<const std::byte> bytes) {
    if (::send(sockets_->connection, bytes.data(), bytes.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error("the peer's send failed");
    }
}

std::vector<std::byte> LoopbackPeer::receive(std::size_t count) {
    std::vector<std::byte> bytes(count);
    std::size_t got = 0;
    while (got < count && readable(sockets_->connection)) {
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
