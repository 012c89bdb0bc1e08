#include "platform/posix/posix_client_socket.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <tuple>

namespace ardentis::platform {
namespace {

using Clock = std::chrono::steady_clock;

// While the handler leaves a partial record queued, poll cannot wait for "more bytes"
// (the socket stays readable), so the socket looks again at this interval.
constexpr std::chrono::milliseconds kMoreBytesCheck{10};

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const noexcept { freeaddrinfo(info); }
};

int clampToInt(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
}

bool isWouldBlock(int code) {
    return code == EAGAIN || code == EWOULDBLOCK || code == EINTR;
}

int fdOf(std::uintptr_t handle) {
    return static_cast<int>(handle);
}

}  // namespace

PosixClientSocket::~PosixClientSocket() {
    closeNow();
}

bool PosixClientSocket::pump(std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    if (raisePendingError()) {
        return true;
    }
    const Snapshot now = snapshot();
    switch (now.state) {
        case State::Idle:
            ::poll(nullptr, 0, millisecondsUntil(deadline));
            return false;
        case State::Closing:
            return reportClosing();
        case State::Connecting:
            return pumpConnecting(fdOf(now.handle), timeout);
        case State::Connected:
        case State::Lost:
            return pumpConnected(deadline);
    }
    return false;
}

std::expected<SocketStateMachine::Handle, OsError> PosixClientSocket::openHandle(
    const std::string& host, std::uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int lookup = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) {
        return std::unexpected(OsError{"getaddrinfo", lookup});
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> addresses(found);

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return std::unexpected(OsError{"socket", errno});
    }
    // A server that vanished without a word (a half-open connection) is noticed after a minute
    // of silence and six probes ten seconds apart, and the client reconnects.
    using Option = std::tuple<int, int, int>;
    for (const auto& [level, name, value] :
         {Option{SOL_SOCKET, SO_KEEPALIVE, 1}, Option{IPPROTO_TCP, TCP_KEEPIDLE, 60},
          Option{IPPROTO_TCP, TCP_KEEPINTVL, 10}, Option{IPPROTO_TCP, TCP_KEEPCNT, 6}}) {
        ::setsockopt(fd, level, name, &value, sizeof value);
    }
    if (::connect(fd, addresses->ai_addr, addresses->ai_addrlen) != 0 && errno != EINPROGRESS) {
        const int code = errno;
        ::close(fd);
        return std::unexpected(OsError{"connect", code});
    }
    return static_cast<Handle>(fd);
}

void PosixClientSocket::closeHandle(Handle handle) {
    ::close(fdOf(handle));
}

void PosixClientSocket::shutdownHandle(Handle handle) {
    ::shutdown(fdOf(handle), SHUT_RDWR);
}

SocketStateMachine::Io PosixClientSocket::sendSome(Handle handle,
                                                   std::span<const std::byte> bytes) {
    const ssize_t sent = ::send(fdOf(handle), bytes.data(),
                                static_cast<std::size_t>(clampToInt(bytes.size())), MSG_NOSIGNAL);
    if (sent >= 0) {
        return Io{static_cast<int>(sent), 0};
    }
    const int code = errno;
    return Io{kWouldBlock, isWouldBlock(code) ? 0 : code};
}

SocketStateMachine::Io PosixClientSocket::receiveSome(Handle handle, std::span<std::byte> buffer) {
    const ssize_t got =
        ::recv(fdOf(handle), buffer.data(), static_cast<std::size_t>(clampToInt(buffer.size())), 0);
    if (got >= 0) {
        return Io{static_cast<int>(got), 0};
    }
    const int code = errno;
    return Io{kWouldBlock, isWouldBlock(code) ? 0 : code};
}

std::size_t PosixClientSocket::waitingOn(Handle handle) const {
    int waiting = 0;
    if (::ioctl(fdOf(handle), FIONREAD, &waiting) != 0 || waiting < 0) {
        return 0;
    }
    return static_cast<std::size_t>(waiting);
}

bool PosixClientSocket::pumpConnecting(int fd, std::chrono::milliseconds timeout) {
    pollfd watch{.fd = fd, .events = POLLOUT, .revents = 0};
    if (::poll(&watch, 1, static_cast<int>(std::clamp<long long>(timeout.count(), 0, INT_MAX))) <=
        0) {
        return false;
    }
    int code = 0;
    socklen_t length = sizeof code;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &length) != 0) {
        code = errno;
    }
    return connectDone(code);
}

bool PosixClientSocket::pumpConnected(Clock::time_point deadline) {
    if (readHeld()) {
        // A busy handler below refused the bytes (a modal loop runs inside it): they, and
        // a close behind them, wait until it returns instead of being offered again here.
        ::poll(nullptr, 0, millisecondsUntil(deadline));
        return false;
    }
    for (;;) {
        const Snapshot now = snapshot();
        if (!isOpen(now.state)) {
            return false;  // closed from another thread: the next pump reports it
        }
        const int fd = fdOf(now.handle);
        // Bytes first: whatever the peer sent before it closed is still delivered.
        std::size_t waiting = queued(now.handle);
        if (readDue(waiting)) {
            raiseRead(waiting);
            return true;
        }
        if (now.state == State::Lost) {
            onPeerClosed(0);
            return true;
        }

        const bool moreOnly = waitingForMore();
        pollfd watch{.fd = fd,
                     .events = static_cast<short>(POLLRDHUP | (moreOnly ? 0 : POLLIN)),
                     .revents = 0};
        int wait = millisecondsUntil(deadline);
        if (moreOnly) {
            wait = std::min(wait, static_cast<int>(kMoreBytesCheck.count()));
        }
        const int ready = ::poll(&watch, 1, wait);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready > 0) {
            if ((watch.revents & POLLERR) != 0) {
                int code = 0;
                socklen_t length = sizeof code;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &length);
                if (code != 0) {
                    fail(OsError{"recv", code});
                    return true;
                }
            }
            waiting = queued(now.handle);
            if (readDue(waiting)) {
                raiseRead(waiting);
                return true;
            }
            const bool peerClosed = (watch.revents & (POLLHUP | POLLRDHUP)) != 0 ||
                                    ((watch.revents & POLLIN) != 0 && waiting == 0);
            if (peerClosed) {
                // Reported only now that no bytes are left for the handler, or the
                // handler left a fragment that can never become a whole record.
                onPeerClosed(0);
                return true;
            }
        }
        if (Clock::now() >= deadline) {
            return false;
        }
    }
}

}  // namespace ardentis::platform
