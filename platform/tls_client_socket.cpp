#include "platform/tls_client_socket.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ardentis::platform {
namespace {

// Plain bytes sealed at a time: one TLS record's worth.
constexpr std::size_t kSealChunk = std::size_t{16} * 1024;

void raise(const std::function<void()>& event) {
    if (event) {
        event();
    }
}

}  // namespace

TlsClientSocket::TlsClientSocket(ClientSocket& inner, EngineFactory makeEngine)
    : inner_(inner), makeEngine_(std::move(makeEngine)), owner_(std::this_thread::get_id()) {
    inner_.setEvents(SocketEvents{
        .onConnect = [this] { onInnerConnect(); },
        .onRead = [this] { onInnerRead(); },
        .onDisconnect = [this] { onInnerDisconnect(); },
        .onError = [this](const OsError& error) { onInnerError(error); },
    });
}

TlsClientSocket::~TlsClientSocket() {
    inner_.setEvents({});
}

void TlsClientSocket::useTls(Verify verify) {
    verify_ = std::move(verify);
}

void TlsClientSocket::usePlain() {
    verify_ = nullptr;
}

std::string TlsClientSocket::failure() const {
    const std::lock_guard lock(mutex_);
    return failure_;
}

bool TlsClientSocket::refused() const {
    const std::lock_guard lock(mutex_);
    return refused_;
}

void TlsClientSocket::setEvents(SocketEvents events) {
    events_ = std::move(events);
}

void TlsClientSocket::open(const std::string& host, std::uint16_t port) {
    host_ = host;
    peer_.reset();
    plain_.clear();
    {
        const std::lock_guard lock(mutex_);
        failure_.clear();
        refused_ = false;
        (void)resetLocked();
    }
    inner_.open(host, port);
}

void TlsClientSocket::close() {
    if (!tls() || std::this_thread::get_id() != owner_) {
        // The socket beneath reports the end on the owner thread, where it is passed on.
        inner_.close();
        return;
    }
    State was = State::Idle;
    {
        const std::lock_guard lock(mutex_);
        was = resetLocked();
    }
    plain_.clear();
    closeQuietly();
    if (was == State::Connected) {
        raise(events_.onDisconnect);
    }
}

bool TlsClientSocket::connected() const {
    if (!tls()) {
        return inner_.connected();
    }
    const std::lock_guard lock(mutex_);
    return state_ == State::Connected && inner_.connected();
}

std::size_t TlsClientSocket::bytesWaiting() {
    return tls() ? plain_.size() : inner_.bytesWaiting();
}

int TlsClientSocket::send(std::span<const std::byte> bytes) {
    if (!tls()) {
        return inner_.send(bytes);
    }
    std::unique_lock lock(mutex_);
    if (state_ != State::Connected) {
        return kWouldBlock;
    }
    flushLocked();
    if (!out_.empty()) {
        return kWouldBlock;  // sealed bytes go first, in order
    }
    const std::span<const std::byte> taken = bytes.first(std::min(bytes.size(), kSealChunk));
    if (auto sealed = engine_->seal(taken, out_); !sealed) {
        failure_ = "TLS: " + sealed.error();
        out_.clear();
        lock.unlock();
        inner_.close();  // its end comes back as onDisconnect, on the owner thread
        return kWouldBlock;
    }
    // What the socket beneath cannot take now goes with the next send or read event.
    flushLocked();
    return static_cast<int>(taken.size());
}

int TlsClientSocket::receive(std::span<std::byte> buffer) {
    if (!tls()) {
        return inner_.receive(buffer);
    }
    const std::size_t count = std::min(buffer.size(), plain_.size());
    if (count == 0) {
        return kWouldBlock;
    }
    std::copy_n(plain_.begin(), count, buffer.begin());
    plain_.erase(plain_.begin(), plain_.begin() + static_cast<std::ptrdiff_t>(count));
    return static_cast<int>(count);
}

void TlsClientSocket::onInnerConnect() {
    if (!tls()) {
        raise(events_.onConnect);
        return;
    }
    std::vector<std::byte> hello;
    std::expected<void, std::string> started = std::unexpected("no TLS on this system");
    {
        const std::lock_guard lock(mutex_);
        engine_ = makeEngine_ ? makeEngine_() : nullptr;
        if (engine_) {
            started = engine_->start(host_, hello);
        }
        state_ = State::Handshaking;
    }
    if (!started) {
        fail("TLS handshake: " + started.error());
        return;
    }
    sendOut(std::move(hello));
}

void TlsClientSocket::onInnerRead() {
    if (!tls()) {
        raise(events_.onRead);
        return;
    }
    pump();
}

void TlsClientSocket::onInnerDisconnect() {
    if (closing_) {
        return;  // close() tells the user itself
    }
    if (!tls()) {
        raise(events_.onDisconnect);
        return;
    }
    State was = State::Idle;
    {
        const std::lock_guard lock(mutex_);
        was = resetLocked();
        if (was != State::Connected && was != State::Idle && failure_.empty()) {
            failure_ = "TLS handshake: the server closed the connection";
        }
    }
    if (was == State::Connected) {
        deliver();  // what the server said before it left
        plain_.clear();
        raise(events_.onDisconnect);
    } else if (was != State::Idle && events_.onError) {
        events_.onError(OsError{"TLS handshake", 0});
    }
}

void TlsClientSocket::onInnerError(const OsError& error) {
    if (tls()) {
        const std::lock_guard lock(mutex_);
        (void)resetLocked();
    }
    if (events_.onError) {
        events_.onError(error);
    }
}

void TlsClientSocket::pump() {
    takeIn();
    if (pumping_) {
        return;  // a box opened by a handler below runs this loop again; the outer pass goes on
    }
    pumping_ = true;
    std::size_t seen = 0;
    do {
        seen = fed_;
        advance();
    } while (fed_ != seen);
    pumping_ = false;
}

void TlsClientSocket::takeIn() {
    std::array<std::byte, kSealChunk> chunk{};
    for (int got = inner_.receive(chunk); got > 0; got = inner_.receive(chunk)) {
        const std::lock_guard lock(mutex_);
        if (engine_) {
            engine_->feed(std::span(chunk).first(static_cast<std::size_t>(got)));
            ++fed_;
        }
    }
}

void TlsClientSocket::advance() {
    State state = State::Idle;
    std::vector<std::byte> reply;
    std::expected<TlsEngine::Progress, std::string> progress = TlsEngine::Progress::NeedMore;
    {
        const std::lock_guard lock(mutex_);
        state = state_;
        flushLocked();
        if (state == State::Handshaking) {
            progress = engine_->handshake(reply);
        }
    }
    if (state == State::Handshaking) {
        if (!progress) {
            fail("TLS handshake: " + progress.error());
            return;
        }
        sendOut(std::move(reply));
        if (*progress == TlsEngine::Progress::Established) {
            judge();
        }
        return;
    }
    if (state != State::Connected) {
        return;
    }
    std::expected<TlsEngine::Stream, std::string> opened = TlsEngine::Stream::Open;
    {
        const std::lock_guard lock(mutex_);
        opened = engine_->unseal(plain_);
    }
    if (!opened) {
        fail("TLS: " + opened.error());
        return;
    }
    deliver();
    if (*opened == TlsEngine::Stream::ClosedByPeer) {
        closeQuietly();
        onInnerDisconnect();
    }
}

void TlsClientSocket::judge() {
    {
        const std::lock_guard lock(mutex_);
        peer_ = engine_->peer();
        state_ = State::Judging;
    }
    // The question may open a box whose loop takes in more bytes meanwhile.
    const bool accepted = verify_ && verify_(*peer_);
    {
        const std::lock_guard lock(mutex_);
        if (state_ != State::Judging) {
            return;  // closed while the user was asked
        }
        if (accepted) {
            state_ = State::Connected;
        } else {
            refused_ = true;
        }
    }
    if (!accepted) {
        fail("TLS: the server's certificate was not accepted");
        return;
    }
    raise(events_.onConnect);
    advance();  // records that came with the end of the handshake
}

void TlsClientSocket::deliver() {
    while (!plain_.empty()) {
        const std::size_t before = plain_.size();
        raise(events_.onRead);
        if (plain_.size() >= before) {
            return;  // a part of a record waits for the rest
        }
    }
}

void TlsClientSocket::fail(const std::string& why) {
    State was = State::Idle;
    {
        const std::lock_guard lock(mutex_);
        was = resetLocked();
        failure_ = why;
    }
    plain_.clear();
    closeQuietly();
    if (was == State::Connected) {
        raise(events_.onDisconnect);
    } else if (events_.onError) {
        events_.onError(OsError{"TLS", 0});
    }
}

TlsClientSocket::State TlsClientSocket::resetLocked() {
    engine_.reset();
    out_.clear();
    return std::exchange(state_, State::Idle);
}

void TlsClientSocket::closeQuietly() {
    closing_ = true;
    inner_.close();
    closing_ = false;
}

void TlsClientSocket::sendOut(std::vector<std::byte> bytes) {
    const std::lock_guard lock(mutex_);
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    flushLocked();
}

void TlsClientSocket::flushLocked() {
    while (!out_.empty()) {
        const int sent = inner_.send(out_);
        if (sent <= 0) {
            return;
        }
        out_.erase(out_.begin(), out_.begin() + sent);
    }
}

}  // namespace ardentis::platform
