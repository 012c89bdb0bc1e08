#include "platform/fake/scripted_socket.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace ardentis::platform {

void ScriptedSocket::setEvents(SocketEvents events) {
    const std::lock_guard lock(mutex_);
    events_ = std::move(events);
}

void ScriptedSocket::open(const std::string& host, std::uint16_t port) {
    const std::lock_guard lock(mutex_);
    host_ = host;
    port_ = port;
    state_ = State::Connecting;
    ++openCalls_;
}

void ScriptedSocket::close() {
    bool wasConnected = false;
    {
        const std::lock_guard lock(mutex_);
        ++closeCalls_;
        wasConnected = state_ == State::Connected || state_ == State::Lost;
        state_ = State::Idle;
        incoming_.clear();
    }
    // A real socket reports its own close of a connection before it lets go of it.
    if (wasConnected) {
        if (auto handler = events().onDisconnect) {
            handler();
        }
    }
}

bool ScriptedSocket::connected() const {
    const std::lock_guard lock(mutex_);
    return state_ == State::Connected;
}

std::size_t ScriptedSocket::bytesWaiting() {
    const std::lock_guard lock(mutex_);
    return incoming_.size();
}

int ScriptedSocket::send(std::span<const std::byte> bytes) {
    const std::lock_guard lock(mutex_);
    int result = kBlock;
    if (state_ == State::Connected) {
        result = nextStep(sendSteps_, bytes.size());
        if (result > 0) {
            sent_.insert(sent_.end(), bytes.begin(), bytes.begin() + result);
            if (dropAfterSent_ && sent_.size() >= *dropAfterSent_) {
                state_ = State::Lost;
            }
        }
    }
    sendResults_.push_back(result);
    return result;
}

int ScriptedSocket::receive(std::span<std::byte> buffer) {
    const std::lock_guard lock(mutex_);
    if (state_ != State::Connected) {
        return kBlock;
    }
    const int step = nextStep(receiveSteps_, std::min(buffer.size(), incoming_.size()));
    if (step == kBlock || (step == 0 && incoming_.empty())) {
        return kBlock;
    }
    const auto count = static_cast<std::size_t>(step);
    std::copy_n(incoming_.begin(), count, buffer.begin());
    incoming_.erase(incoming_.begin(), incoming_.begin() + step);
    receivedTotal_ += count;
    if (dropAfterReceived_ && receivedTotal_ >= *dropAfterReceived_) {
        state_ = State::Lost;
    }
    return step;
}

void ScriptedSocket::scriptSends(std::vector<int> steps) {
    const std::lock_guard lock(mutex_);
    sendSteps_.assign(steps.begin(), steps.end());
}

void ScriptedSocket::scriptReceives(std::vector<int> steps) {
    const std::lock_guard lock(mutex_);
    receiveSteps_.assign(steps.begin(), steps.end());
}

void ScriptedSocket::feed(std::span<const std::byte> bytes) {
    const std::lock_guard lock(mutex_);
    incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
}

void ScriptedSocket::dropAfterSent(std::size_t total) {
    const std::lock_guard lock(mutex_);
    dropAfterSent_ = total;
}

void ScriptedSocket::dropAfterReceived(std::size_t total) {
    const std::lock_guard lock(mutex_);
    dropAfterReceived_ = total;
}

void ScriptedSocket::drop() {
    const std::lock_guard lock(mutex_);
    if (state_ == State::Connected) {
        state_ = State::Lost;
    }
}

void ScriptedSocket::completeConnect() {
    {
        const std::lock_guard lock(mutex_);
        state_ = State::Connected;
    }
    if (auto handler = events().onConnect) {
        handler();
    }
}

void ScriptedSocket::failConnect(const OsError& error) {
    {
        const std::lock_guard lock(mutex_);
        state_ = State::Idle;
    }
    if (auto handler = events().onError) {
        handler(error);
    }
}

void ScriptedSocket::raiseRead() {
    if (auto handler = events().onRead) {
        handler();
    }
}

void ScriptedSocket::peerClose() {
    {
        const std::lock_guard lock(mutex_);
        state_ = State::Idle;
        incoming_.clear();
    }
    if (auto handler = events().onDisconnect) {
        handler();
    }
}

std::vector<std::byte> ScriptedSocket::sent() const {
    const std::lock_guard lock(mutex_);
    return sent_;
}

std::vector<int> ScriptedSocket::sendResults() const {
    const std::lock_guard lock(mutex_);
    return sendResults_;
}

std::string ScriptedSocket::host() const {
    const std::lock_guard lock(mutex_);
    return host_;
}

std::uint16_t ScriptedSocket::port() const {
    const std::lock_guard lock(mutex_);
    return port_;
}

int ScriptedSocket::closeCalls() const {
    const std::lock_guard lock(mutex_);
    return closeCalls_;
}

int ScriptedSocket::openCalls() const {
    const std::lock_guard lock(mutex_);
    return openCalls_;
}

SocketEvents ScriptedSocket::events() const {
    const std::lock_guard lock(mutex_);
    return events_;
}

int ScriptedSocket::nextStep(std::deque<int>& steps, std::size_t offered) {
    const int all = static_cast<int>(std::min<std::size_t>(offered, INT_MAX));
    if (steps.empty()) {
        return all;
    }
    const int step = steps.front();
    steps.pop_front();
    return step == kBlock ? kBlock : std::min(step, all);
}

}  // namespace ardentis::platform
