#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/winsock_client_socket.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
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
// At most this much is taken in ahead of the handler while looking for the peer's close.
constexpr std::size_t kHeldLimit = 64 * 1024;
constexpr wchar_t kWindowClass[] = L"ArdentisSocketWindow";

int clampToInt(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
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

// The window procedure; a friend so that it may route to the socket's private handler.
class SocketWindow {
  public:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self =
            reinterpret_cast<WinsockClientSocket*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr || (message < WM_APP && message != WM_TIMER)) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        // No exception crosses into user32; pump() hands it to its caller.
        try {
            self->handleMessage(message, wParam, lParam);
        } catch (...) {
            self->handlerFailure_ = std::current_exception();
        }
        return 0;
    }

    static void registerClass() {
        static const bool registered = [] {
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = &SocketWindow::procedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = kWindowClass;
            return RegisterClassExW(&windowClass) != 0;
        }();
        if (!registered) {
            throw std::runtime_error("RegisterClassExW failed for the socket window");
        }
    }
};

WinsockClientSocket::WinsockClientSocket()
    : owner_(std::this_thread::get_id()), socket_(INVALID_SOCKET) {
    static const WinsockLibrary library;
    if (library.code() != 0) {
        throw std::runtime_error("WSAStartup failed");
    }
    SocketWindow::registerClass();
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        throw std::runtime_error("CreateWindowExW failed for the socket window");
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinsockClientSocket::~WinsockClientSocket() {
    {
        const std::lock_guard lock(mutex_);
        if (socket_ != INVALID_SOCKET) {
            closesocket(socket_);
        }
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void WinsockClientSocket::setEvents(SocketEvents events) {
    events_ = std::move(events);
}

void WinsockClientSocket::open(const std::string& host, std::uint16_t port) {
    if (snapshot().state != State::Idle) {
        return;
    }
    gate_.reset();
    pendingError_.reset();
    held_.clear();
    peerClosed_ = false;

    ADDRINFOA hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOA* found = nullptr;
    const int lookup = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) {
        failLater(OsError{"getaddrinfo", lookup});
        return;
    }
    const std::unique_ptr<ADDRINFOA, AddrInfoDeleter> addresses(found);

    const SOCKET created = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (created == INVALID_SOCKET) {
        failLater(OsError{"socket", WSAGetLastError()});
        return;
    }
    // Also makes the socket non-blocking.
    if (WSAAsyncSelect(created, window_, kSocketMessage, FD_CONNECT | FD_READ | FD_CLOSE) != 0) {
        const int code = WSAGetLastError();
        closesocket(created);
        failLater(OsError{"WSAAsyncSelect", code});
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        socket_ = created;
        state_ = State::Connecting;
    }
    if (::connect(created, addresses->ai_addr, static_cast<int>(addresses->ai_addrlen)) != 0) {
        const int code = WSAGetLastError();
        if (code != WSAEWOULDBLOCK) {
            (void)shutDown();
            failLater(OsError{"connect", code});
        }
    }
}

void WinsockClientSocket::close() {
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
    ::shutdown(socket_, SD_BOTH);
    state_ = State::Closing;
    PostMessageW(window_, kClosedMessage, 0, 0);
}

bool WinsockClientSocket::connected() const {
    const std::lock_guard lock(mutex_);
    return state_ == State::Connected;
}

std::size_t WinsockClientSocket::bytesWaiting() {
    const Snapshot now = snapshot();
    if (now.state != State::Connected && now.state != State::Lost) {
        return 0;
    }
    return queued(now.socket);
}

int WinsockClientSocket::send(std::span<const std::byte> bytes) {
    const std::lock_guard lock(mutex_);
    if (state_ != State::Connected) {
        return kWouldBlock;
    }
    const int sent =
        ::send(socket_, reinterpret_cast<const char*>(bytes.data()), clampToInt(bytes.size()), 0);
    if (sent != SOCKET_ERROR) {
        return sent;
    }
    const int code = WSAGetLastError();
    if (code != WSAEWOULDBLOCK && code != WSAEINTR) {
        state_ = State::Lost;
        lostCode_ = code;
    }
    return kWouldBlock;
}

int WinsockClientSocket::receive(std::span<std::byte> buffer) {
    gate_.noteReceive();
    // Bytes taken in while looking for the peer's close come first.
    const std::size_t fromHeld = std::min(held_.size(), buffer.size());
    std::copy_n(held_.begin(), fromHeld, buffer.begin());
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(fromHeld));
    const int nothingMore = fromHeld > 0 ? static_cast<int>(fromHeld) : kWouldBlock;
    if (fromHeld == buffer.size()) {
        return nothingMore;
    }
    const std::span<std::byte> rest = buffer.subspan(fromHeld);

    const std::lock_guard lock(mutex_);
    if (state_ != State::Connected && state_ != State::Lost) {
        return nothingMore;
    }
    const int got =
        ::recv(socket_, reinterpret_cast<char*>(rest.data()), clampToInt(rest.size()), 0);
    if (got > 0) {
        return static_cast<int>(fromHeld) + got;
    }
    if (got == 0) {
        if (state_ == State::Connected) {
            state_ = State::Lost;  // the peer closed its side
        }
        return static_cast<int>(fromHeld);
    }
    const int code = WSAGetLastError();
    if (code != WSAEWOULDBLOCK && code != WSAEINTR && state_ == State::Connected) {
        state_ = State::Lost;
        lostCode_ = code;
    }
    return nothingMore;
}

bool WinsockClientSocket::pump(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const unsigned long long before = eventsRaised_;
    for (;;) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
                return eventsRaised_ != before;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
            if (handlerFailure_) {
                std::rethrow_exception(std::exchange(handlerFailure_, nullptr));
            }
            if (eventsRaised_ != before) {
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

void WinsockClientSocket::handleMessage(unsigned message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
    switch (message) {
        case kSocketMessage:
            onSocketMessage(wParam, WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
            break;
        case kClosedMessage:
            if (snapshot().state == State::Closing && shutDown()) {
                raiseDisconnect();
            }
            break;
        case kFailedMessage:
            if (pendingError_) {
                const OsError error = *pendingError_;
                pendingError_.reset();
                raiseError(error);
            }
            break;
        case kRecheckMessage:
            if (peerClosed_) {
                onPeerClosed(peerCloseError_);
            } else {
                readIfDue();
            }
            break;
        case WM_TIMER:
            if (wParam == kMoreBytesTimer) {
                onMoreBytesTimer();
            }
            break;
        default:
            break;
    }
}

void WinsockClientSocket::onSocketMessage(std::uintptr_t socket, unsigned event, int error) {
    const Snapshot now = snapshot();
    if (socket != now.socket) {
        return;  // queued for a socket closed since
    }
    switch (event) {
        case FD_CONNECT:
            if (now.state != State::Connecting) {
                return;
            }
            if (error != 0) {
                (void)shutDown();
                raiseError(OsError{"connect", error});
                return;
            }
            {
                const std::lock_guard lock(mutex_);
                state_ = State::Connected;
            }
            ++eventsRaised_;
            if (auto handler = events_.onConnect) {
                handler();
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

void WinsockClientSocket::onPeerClosed(int error) {
    if (gate_.held()) {
        // A busy handler below holds the bytes back; they and then the close are
        // reported once it returns.
        peerClosed_ = true;
        peerCloseError_ = error;
        return;
    }
    // Bytes the peer sent before it closed are handed out first, one read event at a
    // time, while the handler takes them.
    for (;;) {
        const Snapshot now = snapshot();
        if (now.state != State::Connected && now.state != State::Lost) {
            return;  // the handler closed the socket itself
        }
        const std::size_t waiting = queued(now.socket);
        if (!gate_.due(waiting)) {
            break;
        }
        raiseRead(waiting);
        if (queued(now.socket) >= waiting) {
            break;  // the handler left the bytes: a fragment that never completes
        }
    }
    {
        const std::lock_guard lock(mutex_);
        if (error == 0) {
            error = lostCode_;  // a send or receive may have seen the reason first
        }
    }
    if (shutDown()) {
        if (error != 0) {
            raiseError(OsError{"recv", error});
        } else {
            raiseDisconnect();
        }
    }
}

void WinsockClientSocket::onMoreBytesTimer() {
    if (!gate_.waitingForMore()) {
        KillTimer(window_, kMoreBytesTimer);
    }
    // A peer that closes after part of a record gets no FD_CLOSE under Wine while the part
    // is unread, so the part is taken in here, where the close shows.
    takeInWaiting();
    readIfDue();
    if (peerClosed_) {
        onPeerClosed(0);
    }
}

void WinsockClientSocket::takeInWaiting() {
    std::array<char, 4096> chunk{};
    while (held_.size() < kHeldLimit) {
        int got = 0;
        int code = 0;
        {
            const std::lock_guard lock(mutex_);
            if (state_ != State::Connected && state_ != State::Lost) {
                return;
            }
            got = ::recv(socket_, chunk.data(), static_cast<int>(chunk.size()), 0);
            if (got == SOCKET_ERROR) {
                code = WSAGetLastError();
                if (code != WSAEWOULDBLOCK && code != WSAEINTR && state_ == State::Connected) {
                    state_ = State::Lost;
                    lostCode_ = code;
                }
            }
        }
        if (got > 0) {
            const auto* bytes = reinterpret_cast<const std::byte*>(chunk.data());
            held_.insert(held_.end(), bytes, bytes + got);
            continue;
        }
        if (got == 0 || (code != WSAEWOULDBLOCK && code != WSAEINTR)) {
            peerClosed_ = true;
        }
        return;
    }
}

void WinsockClientSocket::readIfDue() {
    const Snapshot now = snapshot();
    if (now.state != State::Connected && now.state != State::Lost) {
        KillTimer(window_, kMoreBytesTimer);
        return;
    }
    const std::size_t waiting = queued(now.socket);
    if (gate_.due(waiting)) {
        KillTimer(window_, kMoreBytesTimer);
        raiseRead(waiting);
    }
}

void WinsockClientSocket::raiseRead(std::size_t waiting) {
    ++eventsRaised_;
    gate_.beginEvent(waiting);
    ReadGate::After after = ReadGate::After::Nothing;
    try {
        if (auto handler = events_.onRead) {
            handler();
        }
        after = gate_.endEvent();
    } catch (...) {
        (void)gate_.endEvent();
        throw;
    }
    const Snapshot now = snapshot();
    if (now.state != State::Connected && now.state != State::Lost) {
        return;
    }
    if (after == ReadGate::After::Held) {
        // A busy handler below refused the bytes; looking again before it returns would
        // only be refused again, over and over, inside its modal box's loop.
        return;
    }
    if (after == ReadGate::After::WaitForMore) {
        SetTimer(window_, kMoreBytesTimer, kMoreBytesCheckMs, nullptr);
    } else if (queued(now.socket) > 0 || peerClosed_) {
        // Do not rely on FD_READ coming again for bytes left behind (a nested event was
        // refused, or a record follows the one just taken), nor on FD_CLOSE coming again.
        PostMessageW(window_, kRecheckMessage, 0, 0);
    }
}

void WinsockClientSocket::raiseDisconnect() {
    ++eventsRaised_;
    if (auto handler = events_.onDisconnect) {
        handler();
    }
}

void WinsockClientSocket::raiseError(const OsError& error) {
    ++eventsRaised_;
    if (auto handler = events_.onError) {
        handler(error);
    }
}

void WinsockClientSocket::failLater(const OsError& error) {
    pendingError_ = error;
    PostMessageW(window_, kFailedMessage, 0, 0);
}

WinsockClientSocket::Snapshot WinsockClientSocket::snapshot() const {
    const std::lock_guard lock(mutex_);
    return Snapshot{state_, socket_};
}

bool WinsockClientSocket::onOwnerThread() const noexcept {
    return std::this_thread::get_id() == owner_;
}

bool WinsockClientSocket::shutDown() {
    bool wasConnected = false;
    {
        const std::lock_guard lock(mutex_);
        if (socket_ != INVALID_SOCKET) {
            closesocket(socket_);
            socket_ = INVALID_SOCKET;
        }
        wasConnected = state_ == State::Connected || state_ == State::Lost ||
                       (state_ == State::Closing && closingWasConnected_);
        state_ = State::Idle;
        lostCode_ = 0;
        closingWasConnected_ = false;
    }
    KillTimer(window_, kMoreBytesTimer);
    gate_.reset();
    held_.clear();
    peerClosed_ = false;
    peerCloseError_ = 0;
    return wasConnected;
}

std::size_t WinsockClientSocket::queued(std::uintptr_t socket) const {
    return held_.size() + waitingOn(socket);
}

std::size_t WinsockClientSocket::waitingOn(std::uintptr_t socket) {
    u_long waiting = 0;
    if (socket == INVALID_SOCKET || ioctlsocket(socket, FIONREAD, &waiting) != 0) {
        return 0;
    }
    return waiting;
}

}  // namespace ardentis::platform
