#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>
// After the Winsock headers, which it needs.
#include <mstcpip.h>

#include "platform/win32/winsock_client_socket.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace ardentis::platform {
namespace {

static_assert(std::is_same_v<SOCKET, std::uintptr_t>);

// Dialogs use the WM_USER range; the socket window's own messages start at WM_APP.
constexpr UINT kSocketMessage = WM_APP + 1;   // WSAAsyncSelect
constexpr UINT kClosedMessage = WM_APP + 2;   // closed from another thread
constexpr UINT kFailedMessage = WM_APP + 3;   // open failed before any socket event
constexpr UINT kRecheckMessage = WM_APP + 4;  // bytes may be left for another read event
constexpr UINT_PTR kMoreBytesTimer = 1;
// Winsock raises FD_READ again only after a recv, so bytes a handler leaves queued (a
// record not yet complete) would wait forever; the socket looks for more at this interval.
constexpr UINT kMoreBytesCheckMs = 10;

int clampToInt(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

bool isWouldBlock(int code) {
    return code == WSAEWOULDBLOCK || code == WSAEINTR;
}

// WSAStartup once per process; the library stays up until the process ends.
class WinsockLibrary {
  public:
    WinsockLibrary() {
        WSADATA data{};
        code_ = WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockLibrary() {
        if (code_ == 0) {
            WSACleanup();
        }
    }
    WinsockLibrary(const WinsockLibrary&) = delete;
    WinsockLibrary& operator=(const WinsockLibrary&) = delete;

    [[nodiscard]] int code() const noexcept { return code_; }

  private:
    int code_ = 0;
};

struct AddrInfoDeleter {
    void operator()(ADDRINFOA* info) const noexcept { freeaddrinfo(info); }
};

}  // namespace

WinsockClientSocket::WinsockClientSocket()
    : window_("socket window",
              [this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
                  handleMessage(message, wParam, lParam);
              }) {
    static const WinsockLibrary library;
    if (library.code() != 0) {
        throw std::runtime_error("WSAStartup failed");
    }
}

WinsockClientSocket::~WinsockClientSocket() {
    closeNow();
}

bool WinsockClientSocket::pump(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const unsigned long long before = eventsRaised();
    for (;;) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
                return eventsRaised() != before;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
            if (const std::exception_ptr failure = window_.takeFailure()) {
                std::rethrow_exception(failure);
            }
            if (eventsRaised() != before) {
                return true;
            }
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr,
                                    static_cast<DWORD>(std::min<long long>(left.count(), INT_MAX)),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

std::expected<SocketStateMachine::Handle, OsError> WinsockClientSocket::openHandle(
    const std::string& host, std::uint16_t port) {
    ADDRINFOA hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOA* found = nullptr;
    const int lookup = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) {
        return std::unexpected(OsError{"getaddrinfo", lookup});
    }
    const std::unique_ptr<ADDRINFOA, AddrInfoDeleter> addresses(found);

    const SOCKET created = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (created == INVALID_SOCKET) {
        return std::unexpected(OsError{"socket", WSAGetLastError()});
    }
    // A server that vanished without a word (a half-open connection) is noticed after a minute
    // of silence and probes a second apart, and the client reconnects.
    tcp_keepalive keepAlive{.onoff = 1, .keepalivetime = 60000, .keepaliveinterval = 1000};
    DWORD returned = 0;
    WSAIoctl(created, SIO_KEEPALIVE_VALS, &keepAlive, sizeof keepAlive, nullptr, 0, &returned,
             nullptr, nullptr);
    // Also makes the socket non-blocking. Its messages wait in the queue until the owner's
    // loop runs, by when the socket is known as this connection's.
    if (WSAAsyncSelect(created, window_.handle(), kSocketMessage,
                       FD_CONNECT | FD_READ | FD_CLOSE) != 0) {
        const int code = WSAGetLastError();
        closesocket(created);
        return std::unexpected(OsError{"WSAAsyncSelect", code});
    }
    if (::connect(created, addresses->ai_addr, static_cast<int>(addresses->ai_addrlen)) != 0) {
        const int code = WSAGetLastError();
        if (code != WSAEWOULDBLOCK) {
            closesocket(created);
            return std::unexpected(OsError{"connect", code});
        }
    }
    return created;
}

void WinsockClientSocket::closeHandle(Handle handle) {
    closesocket(handle);
}

void WinsockClientSocket::shutdownHandle(Handle handle) {
    ::shutdown(handle, SD_BOTH);
}

SocketStateMachine::Io WinsockClientSocket::sendSome(Handle handle,
                                                     std::span<const std::byte> bytes) {
    const int sent =
        ::send(handle, reinterpret_cast<const char*>(bytes.data()), clampToInt(bytes.size()), 0);
    if (sent != SOCKET_ERROR) {
        return Io{sent, 0};
    }
    const int code = WSAGetLastError();
    return Io{kWouldBlock, isWouldBlock(code) ? 0 : code};
}

SocketStateMachine::Io WinsockClientSocket::receiveSome(Handle handle,
                                                        std::span<std::byte> buffer) {
    const int got =
        ::recv(handle, reinterpret_cast<char*>(buffer.data()), clampToInt(buffer.size()), 0);
    if (got != SOCKET_ERROR) {
        return Io{got, 0};
    }
    const int code = WSAGetLastError();
    return Io{kWouldBlock, isWouldBlock(code) ? 0 : code};
}

std::size_t WinsockClientSocket::waitingOn(Handle handle) const {
    u_long waiting = 0;
    if (ioctlsocket(handle, FIONREAD, &waiting) != 0) {
        return 0;
    }
    return waiting;
}

void WinsockClientSocket::wake(Wake why) {
    switch (why) {
        case Wake::Closed:
            PostMessageW(window_.handle(), kClosedMessage, 0, 0);
            return;
        case Wake::Failed:
            PostMessageW(window_.handle(), kFailedMessage, 0, 0);
            return;
        case Wake::Recheck:
            PostMessageW(window_.handle(), kRecheckMessage, 0, 0);
            return;
    }
}

void WinsockClientSocket::lookForMoreBytes(bool on) {
    if (on) {
        SetTimer(window_.handle(), kMoreBytesTimer, kMoreBytesCheckMs, nullptr);
    } else {
        KillTimer(window_.handle(), kMoreBytesTimer);
    }
}

void WinsockClientSocket::handleMessage(unsigned message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
    switch (message) {
        case kSocketMessage:
            onSocketMessage(wParam, WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
            break;
        case kClosedMessage:
            (void)reportClosing();
            break;
        case kFailedMessage:
            (void)raisePendingError();
            break;
        case kRecheckMessage:
            recheck();
            break;
        case WM_TIMER:
            if (wParam == kMoreBytesTimer) {
                moreBytesCheck();
            }
            break;
        default:
            break;
    }
}

void WinsockClientSocket::onSocketMessage(Handle socket, unsigned event, int error) {
    const Snapshot now = snapshot();
    if (socket != now.handle) {
        return;  // queued for a socket closed since
    }
    switch (event) {
        case FD_CONNECT:
            if (now.state == State::Connecting) {
                (void)connectDone(error);
            }
            return;
        case FD_READ:
            // May find nothing to read (WSAEWOULDBLOCK); the gate then raises nothing.
            readIfDue();
            return;
        case FD_CLOSE:
            onPeerClosed(error);
            return;
        default:
            return;
    }
}

}  // namespace ardentis::platform
