#include "platform/client_socket_state.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace ardentis::platform {
namespace {

// At most this much is taken in ahead of the handler while looking for the peer's close.
constexpr std::size_t kHeldLimit = std::size_t{64} * 1024;

}  // namespace

SocketStateMachine::SocketStateMachine() : owner_(std::this_thread::get_id()) {}

void SocketStateMachine::setEvents(SocketEvents events) {
    events_ = std::move(events);
}

void SocketStateMachine::open(const std::string& host, std::uint16_t port) {
    if (snapshot().state != State::Idle) {
        return;
    }
    gate_.reset();
    pendingError_.reset();
    held_.clear();
    peerClosed_ = false;

    const std::expected<Handle, OsError> made = openHandle(host, port);
    if (!made) {
        failLater(made.error());
        return;
    }
    // Even an at-once connection is reported by the loop, like every other outcome.
    const std::lock_guard lock(mutex_);
    handle_ = *made;
    state_ = State::Connecting;
}

void SocketStateMachine::close() {
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
    shutdownHandle(handle_);
    state_ = State::Closing;
    wake(Wake::Closed);
}

bool SocketStateMachine::connected() const {
    const std::lock_guard lock(mutex_);
    return state_ == State::Connected;
}

std::size_t SocketStateMachine::bytesWaiting() {
    const Snapshot now = snapshot();
    if (!isOpen(now.state)) {
        return 0;
    }
    return queued(now.handle);
}

int SocketStateMachine::send(std::span<const std::byte> bytes) {
    const std::lock_guard lock(mutex_);
    if (state_ != State::Connected) {
        return kWouldBlock;
    }
    const Io sent = sendSome(handle_, bytes);
    if (sent.count >= 0) {
        return sent.count;
    }
    if (sent.error != 0) {
        state_ = State::Lost;
        lostCode_ = sent.error;
    }
    return kWouldBlock;
}

int SocketStateMachine::receive(std::span<std::byte> buffer) {
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
    if (!isOpen(state_)) {
        return nothingMore;
    }
    const Io got = receiveSome(handle_, rest);
    if (got.count > 0) {
        return static_cast<int>(fromHeld) + got.count;
    }
    if (got.count == 0) {
        if (state_ == State::Connected) {
            state_ = State::Lost;  // the peer closed its side
        }
        return static_cast<int>(fromHeld);
    }
    if (got.error != 0 && state_ == State::Connected) {
        state_ = State::Lost;
        lostCode_ = got.error;
    }
    return nothingMore;
}

SocketStateMachine::Snapshot SocketStateMachine::snapshot() const {
    const std::lock_guard lock(mutex_);
    return Snapshot{state_, handle_};
}

std::size_t SocketStateMachine::queued(Handle handle) const {
    return held_.size() + (handle == kNoHandle ? 0 : waitingOn(handle));
}

bool SocketStateMachine::connectDone(int error) {
    if (error != 0) {
        (void)shutDown();
        raiseError(OsError{"connect", error});
        return true;
    }
    {
        const std::lock_guard lock(mutex_);
        if (state_ != State::Connecting) {
            return false;  // closed from another thread meanwhile
        }
        state_ = State::Connected;
    }
    ++eventsRaised_;
    if (auto handler = events_.onConnect) {
        handler();
    }
    return true;
}

bool SocketStateMachine::raisePendingError() {
    if (!pendingError_) {
        return false;
    }
    const OsError error = *pendingError_;
    pendingError_.reset();
    raiseError(error);
    return true;
}

bool SocketStateMachine::reportClosing() {
    if (snapshot().state == State::Closing && shutDown()) {
        raiseDisconnect();
        return true;
    }
    return false;
}

void SocketStateMachine::readIfDue() {
    const Snapshot now = snapshot();
    if (!isOpen(now.state)) {
        lookForMoreBytes(false);
        return;
    }
    const std::size_t waiting = queued(now.handle);
    if (gate_.due(waiting)) {
        lookForMoreBytes(false);
        raiseRead(waiting);
    }
}

void SocketStateMachine::onPeerClosed(int error) {
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
        if (!isOpen(now.state)) {
            return;  // the handler closed the socket itself
        }
        const std::size_t waiting = queued(now.handle);
        if (!gate_.due(waiting)) {
            break;
        }
        raiseRead(waiting);
        if (queued(now.handle) >= waiting) {
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

void SocketStateMachine::moreBytesCheck() {
    if (!gate_.waitingForMore()) {
        lookForMoreBytes(false);
    }
    // A peer that closes after part of a record gets no close report under Wine while the
    // part is unread, so the part is taken in here, where the close shows.
    takeInWaiting();
    readIfDue();
    if (peerClosed_) {
        onPeerClosed(0);
    }
}

void SocketStateMachine::recheck() {
    if (peerClosed_) {
        onPeerClosed(peerCloseError_);
    } else {
        readIfDue();
    }
}

void SocketStateMachine::fail(const OsError& error) {
    (void)shutDown();
    raiseError(error);
}

void SocketStateMachine::closeNow() {
    const std::lock_guard lock(mutex_);
    if (handle_ != kNoHandle) {
        closeHandle(handle_);
        handle_ = kNoHandle;
    }
}

bool SocketStateMachine::onOwnerThread() const noexcept {
    return std::this_thread::get_id() == owner_;
}

void SocketStateMachine::failLater(const OsError& error) {
    pendingError_ = error;
    wake(Wake::Failed);
}

bool SocketStateMachine::shutDown() {
    bool wasConnected = false;
    {
        const std::lock_guard lock(mutex_);
        if (handle_ != kNoHandle) {
            closeHandle(handle_);
            handle_ = kNoHandle;
        }
        wasConnected = isOpen(state_) || (state_ == State::Closing && closingWasConnected_);
        state_ = State::Idle;
        lostCode_ = 0;
        closingWasConnected_ = false;
    }
    lookForMoreBytes(false);
    gate_.reset();
    held_.clear();
    peerClosed_ = false;
    peerCloseError_ = 0;
    return wasConnected;
}

void SocketStateMachine::takeInWaiting() {
    std::array<std::byte, 4096> chunk{};
    while (held_.size() < kHeldLimit) {
        Io got{};
        {
            const std::lock_guard lock(mutex_);
            if (!isOpen(state_)) {
                return;
            }
            got = receiveSome(handle_, chunk);
            if (got.count < 0 && got.error != 0 && state_ == State::Connected) {
                state_ = State::Lost;
                lostCode_ = got.error;
            }
        }
        if (got.count > 0) {
            held_.insert(held_.end(), chunk.begin(), chunk.begin() + got.count);
            continue;
        }
        if (got.count == 0 || got.error != 0) {
            peerClosed_ = true;
        }
        return;
    }
}

void SocketStateMachine::raiseRead(std::size_t waiting) {
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
    if (!isOpen(now.state)) {
        return;
    }
    if (after == ReadGate::After::Held) {
        // A busy handler below refused the bytes; looking again before it returns would
        // only be refused again, over and over, inside its modal box's loop.
        return;
    }
    if (after == ReadGate::After::WaitForMore) {
        lookForMoreBytes(true);
    } else if (queued(now.handle) > 0 || peerClosed_) {
        // Do not rely on readiness being reported again for bytes left behind (a nested
        // event was refused, or a record follows the one just taken), nor the close.
        wake(Wake::Recheck);
    }
}

void SocketStateMachine::raiseDisconnect() {
    ++eventsRaised_;
    if (auto handler = events_.onDisconnect) {
        handler();
    }
}

void SocketStateMachine::raiseError(const OsError& error) {
    ++eventsRaised_;
    if (auto handler = events_.onError) {
        handler(error);
    }
}

}  // namespace ardentis::platform
