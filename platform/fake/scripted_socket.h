#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/client_socket.h"
#include "platform/os_error.h"

namespace ardentis::platform {

// An in-memory client socket whose behaviour a test scripts: how many bytes each send
// and receive call takes, which bytes arrive, where the connection drops. Events are
// raised only when the test asks (or by close(), as a real socket does). Every member is
// safe to call from several threads; events run on the calling thread.
class ScriptedSocket final : public ClientSocket {
  public:
    // A script step that takes nothing: the call would block.
    static constexpr int kBlock = kWouldBlock;

    void setEvents(SocketEvents events) override;
    // Remembers where it was asked to connect; completeConnect() or failConnect() decide.
    void open(const std::string& host, std::uint16_t port) override;
    void close() override;
    [[nodiscard]] bool connected() const override;
    [[nodiscard]] std::size_t bytesWaiting() override;
    [[nodiscard]] int send(std::span<const std::byte> bytes) override;
    [[nodiscard]] int receive(std::span<std::byte> buffer) override;

    // The script. Each step caps one call (kBlock: the call takes nothing); once the
    // steps are used up, a call takes all it is offered or all that is queued.
    void scriptSends(std::vector<int> steps);
    void scriptReceives(std::vector<int> steps);
    // Bytes from the peer, queued until received.
    void feed(std::span<const std::byte> bytes);
    // The connection is lost, without an event, once this many bytes in all have gone
    // out (or come in); the call that reaches the count still returns it.
    void dropAfterSent(std::size_t total);
    void dropAfterReceived(std::size_t total);
    // The connection is lost now, without an event.
    void drop();

    // Events as the socket layer would raise them.
    void completeConnect();
    void failConnect(const OsError& error);
    void raiseRead();
    // The peer closed: the socket is no longer open and onDisconnect is raised.
    void peerClose();

    [[nodiscard]] std::vector<std::byte> sent() const;
    [[nodiscard]] std::vector<int> sendResults() const;
    [[nodiscard]] std::string host() const;
    [[nodiscard]] std::uint16_t port() const;
    [[nodiscard]] int closeCalls() const;
    [[nodiscard]] int openCalls() const;

  private:
    enum class State : std::uint8_t { Idle, Connecting, Connected, Lost };

    [[nodiscard]] SocketEvents events() const;
    static int nextStep(std::deque<int>& steps, std::size_t offered);

    // Guards every member below. Never held while an event handler runs.
    mutable std::mutex mutex_;
    SocketEvents events_;
    State state_ = State::Idle;
    std::string host_;
    std::uint16_t port_ = 0;
    std::deque<int> sendSteps_;
    std::deque<int> receiveSteps_;
    std::deque<std::byte> incoming_;
    std::vector<std::byte> sent_;
    std::vector<int> sendResults_;
    std::size_t receivedTotal_ = 0;
    std::optional<std::size_t> dropAfterSent_;
    std::optional<std::size_t> dropAfterReceived_;
    int closeCalls_ = 0;
    int openCalls_ = 0;
};

}  // namespace ardentis::platform
