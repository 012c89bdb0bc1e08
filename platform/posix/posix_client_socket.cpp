#include "platform/posix/posix_client_socket.h"

#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <utility>

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

}  // namespace

PosixClientSocket::PosixClientSocket() : owner_(std::this_thread::get_id()) {}

PosixClientSocket::~PosixClientSocket() {
    const std::lock_guard lock(mutex_);
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void PosixClientSocket::setEvents(SocketEvents events) {
    events_ = std::move(events);
}

void PosixClientSocket::open(const std::string& host, std::uint16_t port) {
    if (snapshot().state != State::Idle) {
        return;
    }
    gate_.reset();
    pendingError_.reset();

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int lookup = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) {
        pendingError_ = OsError{"getaddrinfo", lookup};
        return;
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> addresses(found);

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        pendingError_ = OsError{"socket", errno};
        return;
    }
    if (::connect(fd, addresses->ai_addr, addresses->ai_addrlen) != 0 && errno != EINPROGRESS) {
        pendingError_ = OsError{"connect", errno};
        ::close(fd);
        return;
    }
    // Even an at-once connection is reported by pump, like every other outcome.
    const std::lock_guard lock(mutex_);
    fd_ = fd;
    state_ = State::Connecting;
}

void PosixClientSocket::close() {
    if (onOwnerThread()) {
        pendingError_.reset();
        if (shutDown()) {
            raiseDisconnect();
        }
        return;
    }
    const std::lock_guard lock(mutex_);
    if (state_ == State::Idle || state_ == State::Closing) {
        return;
    }
    closingWasConnected_ = state_ != State::Connecting;
    ::shutdown(fd_, SHUT_RDWR);
    state_ = State::Closing;
}

bool PosixClientSocket::connected() const {
    const std::lock_guard lock(mutex_);
    return state_ == State::Connected;
}

std::size_t PosixClientSocket::bytesWaiting() {
    const Snapshot now = snapshot();
    if (now.state != State::Connected && now.state != State::Lost) {
        return 0;
    }
    return waitingOn(now.fd);
}

int PosixClientSocket::send(std::span<const std::byte> bytes) {
    const std::lock_guard lock(mutex_);
    if (state_ != State::Connected) {
        return kWouldBlock;
    }
    const ssize_t sent =
        ::send(fd_, bytes.data(), static_cast<std::size_t>(clampToInt(bytes.size())), MSG_NOSIGNAL);
    if (sent >= 0) {
        return static_cast<int>(sent);
    }
    const int code = errno;
    if (!isWouldBlock(code)) {
        state_ = State::Lost;
        lostCode_ = code;
    }
    return kWouldBlock;
}

int PosixClientSocket::receive(std::span<std::byte> buffer) {
    gate_.noteReceive();
    const std::lock_guard lock(mutex_);
    if (state_ != State::Connected && state_ != State::Lost) {
        return kWouldBlock;
    }
    const ssize_t got =
        ::recv(fd_, buffer.data(), static_cast<std::size_t>(clampToInt(buffer.size())), 0);
    if (got > 0) {
        return static_cast<int>(got);
    }
    if (got == 0) {
        if (!buffer.empty() && state_ == State::Connected) {
            state_ = State::Lost;  // the peer closed its side
        }
        return 0;
    }
    const int code = errno;
    if (!isWouldBlock(code) && state_ == State::Connected) {
        state_ = State::Lost;
        lostCode_ = code;
    }
    return kWouldBlock;
}

bool PosixClientSocket::pump(std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    if (pendingError_) {
        const OsError error = *pendingError_;
        pendingError_.reset();
        raiseError(error);
        return true;
    }
    const Snapshot now = snapshot();
    switch (now.state) {
        case State::Idle:
            ::poll(nullptr, 0, millisecondsUntil(deadline));
            return false;
        case State::Closing:
            if (shutDown()) {
                raiseDisconnect();
                return true;
            }
            return false;
        case State::Connecting:
            return pumpConnecting(now.fd, timeout);
        case State::Connected:
        case State::Lost:
            return pumpConnected(deadline);
    }
    return false;
}

PosixClientSocket::Snapshot PosixClientSocket::snapshot() const {
    const std::lock_guard lock(mutex_);
    return Snapshot{state_, fd_};
}

bool PosixClientSocket::onOwnerThread() const noexcept {
    return std::this_thread::get_id() == owner_;
}

bool PosixClientSocket::shutDown() {
    bool wasConnected = false;
    {
        const std::lock_guard lock(mutex_);
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        wasConnected = state_ == State::Connected || state_ == State::Lost ||
                       (state_ == State::Closing && closingWasConnected_);
        state_ = State::Idle;
        lostCode_ = 0;
        closingWasConnected_ = false;
    }
    gate_.reset();
    return wasConnected;
}

std::size_t PosixClientSocket::waitingOn(int fd) const {
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0 || waiting < 0) {
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
    if (code != 0) {
        (void)shutDown();
        raiseError(OsError{"connect", code});
        return true;
    }
    {
        const std::lock_guard lock(mutex_);
        if (state_ != State::Connecting) {
            return false;  // closed from another thread meanwhile
        }
        state_ = State::Connected;
    }
    if (auto handler = events_.onConnect) {
        handler();
    }
    return true;
}

bool PosixClientSocket::pumpConnected(Clock::time_point deadline) {
    if (gate_.held()) {
        // A busy handler below refused the bytes (a modal loop runs inside it): they, and
        // a close behind them, wait until it returns instead of being offered again here.
        ::poll(nullptr, 0, millisecondsUntil(deadline));
        return false;
    }
    for (;;) {
        const Snapshot now = snapshot();
        if (now.state != State::Connected && now.state != State::Lost) {
            return false;  // closed from another thread: the next pump reports it
        }
        // Bytes first: whatever the peer sent before it closed is still delivered.
        std::size_t waiting = waitingOn(now.fd);
        if (gate_.due(waiting)) {
            raiseRead(waiting);
            return true;
        }
        if (now.state == State::Lost) {
            int code = 0;
            {
                const std::lock_guard lock(mutex_);
                code = lostCode_;
            }
            (void)shutDown();
            if (code != 0) {
                raiseError(OsError{"recv", code});
            } else {
                raiseDisconnect();
            }
            return true;
        }

        const bool moreOnly = gate_.waitingForMore();
        pollfd watch{.fd = now.fd,
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
                ::getsockopt(now.fd, SOL_SOCKET, SO_ERROR, &code, &length);
                if (code != 0) {
                    (void)shutDown();
                    raiseError(OsError{"recv", code});
                    return true;
                }
            }
            waiting = waitingOn(now.fd);
            if (gate_.due(waiting)) {
                raiseRead(waiting);
                return true;
            }
            const bool peerClosed = (watch.revents & (POLLHUP | POLLRDHUP)) != 0 ||
                                    ((watch.revents & POLLIN) != 0 && waiting == 0);
            if (peerClosed) {
                // Reported only now that no bytes are left for the handler, or the
                // handler left a fragment that can never become a whole record.
                (void)shutDown();
                raiseDisconnect();
                return true;
            }
        }
        if (Clock::now() >= deadline) {
            return false;
        }
    }
}

void PosixClientSocket::raiseRead(std::size_t waiting) {
    gate_.beginEvent(waiting);
    try {
        if (auto handler = events_.onRead) {
            handler();
        }
    } catch (...) {
        (void)gate_.endEvent();
        throw;
    }
    // Level-triggered: due() alone decides whether the next pump raises again.
    (void)gate_.endEvent();
}

void PosixClientSocket::raiseDisconnect() {
    if (auto handler = events_.onDisconnect) {
        handler();
    }
}

void PosixClientSocket::raiseError(const OsError& error) {
    if (auto handler = events_.onError) {
        handler(error);
    }
}

}  // namespace ardentis::platform
