// The loopback peer of the channel tests, on Winsock.
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>
#include <string>

#include "tests/channel/loopback_peer.h"

namespace ardentis::testing {
namespace {

constexpr int kWaitMs = 5000;

void closeIfOpen(SOCKET& socket) {
    if (socket != INVALID_SOCKET) {
        closesocket(socket);
        socket = INVALID_SOCKET;
    }
}

bool readable(SOCKET socket, int waitMs) {
    WSAPOLLFD watch{};
    watch.fd = socket;
    watch.events = POLLRDNORM;
    return WSAPoll(&watch, 1, waitMs) > 0;
}

int clampToInt(std::size_t size) {
    return size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size);
}

}  // namespace

struct LoopbackPeer::Sockets {
    SOCKET listener = INVALID_SOCKET;
    SOCKET connection = INVALID_SOCKET;
    std::uint16_t port = 0;
};

LoopbackPeer::LoopbackPeer() : sockets_(std::make_unique<Sockets>()) {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        throw std::runtime_error("WSAStartup failed");
    }
    sockets_->listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (sockets_->listener == INVALID_SOCKET) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (::bind(sockets_->listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(sockets_->listener, 4) != 0 ||
        ::getsockname(sockets_->listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("listen on loopback failed: " + std::to_string(WSAGetLastError()));
    }
    sockets_->port = ntohs(address.sin_port);
}

LoopbackPeer::~LoopbackPeer() {
    closeIfOpen(sockets_->connection);
    closeIfOpen(sockets_->listener);
    WSACleanup();
}

std::uint16_t LoopbackPeer::port() const {
    return sockets_->port;
}

bool LoopbackPeer::accept() {
    if (!readable(sockets_->listener, kWaitMs)) {
        return false;
    }
    sockets_->connection = ::accept(sockets_->listener, nullptr, nullptr);
    return sockets_->connection != INVALID_SOCKET;
}

void LoopbackPeer::send(std::span<const std::byte> bytes) {
    while (!bytes.empty()) {
        const int sent = ::send(sockets_->connection, reinterpret_cast<const char*>(bytes.data()),
                                clampToInt(bytes.size()), 0);
        if (sent <= 0) {
            throw std::runtime_error("peer send failed: " + std::to_string(WSAGetLastError()));
        }
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
}

std::vector<std::byte> LoopbackPeer::receive(std::size_t count) {
    std::vector<std::byte> bytes(count);
    std::size_t got = 0;
    while (got < count && readable(sockets_->connection, kWaitMs)) {
        const int n = ::recv(sockets_->connection, reinterpret_cast<char*>(bytes.data() + got),
                             clampToInt(count - got), 0);
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

std::vector<std::byte> LoopbackPeer::receiveWaiting(std::size_t limit) {
    std::vector<std::byte> bytes;
    if (!readable(sockets_->connection, 0)) {
        return bytes;
    }
    bytes.resize(limit);
    const int n =
        ::recv(sockets_->connection, reinterpret_cast<char*>(bytes.data()), clampToInt(limit), 0);
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0U);
    return bytes;
}

void LoopbackPeer::close() {
    closeIfOpen(sockets_->connection);
}

std::chrono::nanoseconds threadCpuTime() {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& time) {  // in units of 100 ns
        return (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return std::chrono::nanoseconds((ticks(kernel) + ticks(user)) * 100);
}

}  // namespace ardentis::testing
