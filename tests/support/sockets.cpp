// The tests' own raw loopback sockets, on POSIX and Winsock alike: either end of a client's
// connection, a held UDP port, and the calling thread's CPU time.
#ifdef _WIN32
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <stdexcept>

#include "tests/support/loopback_peer.h"

namespace ardentis::testing {
namespace {

#ifdef _WIN32
using Handle = SOCKET;
using Length = int;
const Handle kNone = INVALID_SOCKET;
constexpr int kNoSignal = 0;
constexpr auto closeHandle = &closesocket;
int poll(pollfd* watch, int count, int waitMs) {
    return WSAPoll(watch, static_cast<ULONG>(count), waitMs);
}
// Winsock counts its users: every object that holds a socket starts and ends its own use.
struct SocketLibrary {
    SocketLibrary() {
        WSADATA data{};
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            throw std::runtime_error("WSAStartup failed");
        }
    }
    ~SocketLibrary() { WSACleanup(); }
};
#else
using Handle = int;
using Length = socklen_t;
constexpr Handle kNone = -1;
constexpr int kNoSignal = MSG_NOSIGNAL;
constexpr auto closeHandle = &::close;
struct SocketLibrary {};
#endif

bool readable(Handle handle, std::chrono::milliseconds wait) {
    pollfd watch{handle, POLLIN, 0};
    return poll(&watch, 1, static_cast<int>(wait.count())) > 0;
}

void closeIfOpen(Handle& handle) {
    if (handle != kNone) {
        closeHandle(handle);
        handle = kNone;
    }
}

// A byte count as the system's send and recv take it.
#ifdef _WIN32
int countOf(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, 0x7fffffff));
}
#else
std::size_t countOf(std::size_t size) {
    return size;
}
#endif

// A socket bound to `host` at a port the kernel picks, and that port.
std::pair<Handle, std::uint16_t> bound(int type, std::uint32_t host) {
    Handle handle = ::socket(AF_INET, type, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(host);
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    Length length = sizeof address;
    if (handle == kNone || ::bind(handle, raw, length) != 0 ||
        (type == SOCK_STREAM && ::listen(handle, 4) != 0) ||
        ::getsockname(handle, raw, &length) != 0) {
        closeIfOpen(handle);
        throw std::runtime_error("binding a local socket failed");
    }
    return {handle, ntohs(address.sin_port)};
}

}  // namespace

struct LoopbackPeer::Sockets {
    SocketLibrary library;
    std::pair<Handle, std::uint16_t> listener{kNone, 0};
    Handle connection = kNone;
    bool ended = false;
};

LoopbackPeer::LoopbackPeer() : sockets_(std::make_unique<Sockets>()) {
    sockets_->listener = bound(SOCK_STREAM, INADDR_LOOPBACK);
}

LoopbackPeer::LoopbackPeer(std::uint16_t port, int receiveBuffer)
    : sockets_(std::make_unique<Sockets>()) {
    Handle& handle = sockets_->connection = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) {  // Winsock takes the option as chars
        ::setsockopt(handle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                     sizeof receiveBuffer);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closeIfOpen(handle);
    }
}

LoopbackPeer::~LoopbackPeer() {
    closeIfOpen(sockets_->connection);
    closeIfOpen(sockets_->listener.first);
}

std::uint16_t LoopbackPeer::port() const {
    return sockets_->listener.second;
}

bool LoopbackPeer::accept() {
    if (readable(sockets_->listener.first, kWait)) {
        sockets_->connection = ::accept(sockets_->listener.first, nullptr, nullptr);
    }
    return sockets_->connection != kNone;
}

void LoopbackPeer::send(std::span<const std::byte> bytes) {
    if (!trySend(bytes)) {
        throw std::runtime_error("the peer's send failed");
    }
}

bool LoopbackPeer::trySend(std::span<const std::byte> bytes) {
    while (!bytes.empty()) {
        const auto sent = ::send(sockets_->connection, reinterpret_cast<const char*>(bytes.data()),
                                 countOf(bytes.size()), kNoSignal);
        if (sent <= 0) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return true;
}

std::vector<std::byte> LoopbackPeer::receive(std::size_t count,
                                             std::chrono::milliseconds firstWait) {
    std::vector<std::byte> bytes(count);
    std::size_t got = 0;
    while (got < count && !sockets_->ended &&
           readable(sockets_->connection, got == 0 ? firstWait : kWait)) {
        const auto n = ::recv(sockets_->connection, reinterpret_cast<char*>(bytes.data() + got),
                              countOf(count - got), 0);
        sockets_->ended = n <= 0;
        got += n > 0 ? static_cast<std::size_t>(n) : 0U;
    }
    bytes.resize(got);
    return bytes;
}

std::vector<std::byte> LoopbackPeer::receiveWaiting(std::size_t limit) {
    std::vector<std::byte> bytes(limit);
    const auto n =
        readable(sockets_->connection, {})
            ? ::recv(sockets_->connection, reinterpret_cast<char*>(bytes.data()), countOf(limit), 0)
            : 0;
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0U);
    return bytes;
}

bool LoopbackPeer::ended() const {
    return sockets_->ended;
}

void LoopbackPeer::close() {
    closeIfOpen(sockets_->connection);
}

struct UdpPortHolder::Socket {
    SocketLibrary library;
    std::pair<Handle, std::uint16_t> held = bound(SOCK_DGRAM, INADDR_ANY);
};

UdpPortHolder::UdpPortHolder() : socket_(std::make_unique<Socket>()) {}

UdpPortHolder::~UdpPortHolder() {
    release();
}

std::uint16_t UdpPortHolder::port() const {
    return socket_->held.second;
}

void UdpPortHolder::release() {
    closeIfOpen(socket_->held.first);
}

#ifndef _WIN32
std::vector<int> keepAliveIdleTimes() {
    std::vector<int> idle;
    for (int fd = 3, on = 0, seconds = 0; fd < 1024; ++fd) {
        socklen_t length = sizeof on;
        if (::getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, &length) == 0 && on == 1 &&
            ::getsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &seconds, &length) == 0) {
            idle.push_back(seconds);
        }
    }
    return idle;
}
#endif

}  // namespace ardentis::testing
