#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "protocol/lobby_message.h"

namespace ardentis::server::testing {

using namespace std::chrono_literals;
using protocol::LobbyMessage;

// Every wait in the tests is bounded by this; nothing a test expects takes near as long.
inline constexpr std::chrono::milliseconds kWait = 5s;

// A blocking client over a real loopback socket, reading whole records with timeouts.
class TestClient {
  public:
    // Connects to 127.0.0.1:port; a receive buffer > 0 (a small one makes a slow reader)
    // is set before connecting.
    explicit TestClient(std::uint16_t port, int receiveBuffer = 0);
    ~TestClient() { abort(); }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    // False when the server has closed the connection.
    bool send(const LobbyMessage& message) { return sendBytes(message.toBytes()); }
    bool sendBytes(std::span<const std::byte> bytes);
    // The next record; nothing when none comes within the timeout or the connection ends.
    [[nodiscard]] std::optional<LobbyMessage> receive(std::chrono::milliseconds timeout = kWait);
    // Skips records until one matches; every record seen, the match last, goes to `seen`.
    [[nodiscard]] std::optional<LobbyMessage> waitFor(
        const std::function<bool(const LobbyMessage&)>& match,
        std::vector<LobbyMessage>* seen = nullptr);
    // True when the server closes the connection within kWait (records are skipped).
    [[nodiscard]] bool waitClosed() {
        return !waitFor([](auto&) { return false; }) && ended_;
    }
    // Closes at once, as a client that dies.
    void abort();
    [[nodiscard]] int fd() const noexcept { return fd_; }

  private:
    bool fill(std::chrono::steady_clock::time_point deadline);

    int fd_ = -1;
    bool ended_ = false;
    std::vector<std::byte> buffer_;
};

}  // namespace ardentis::server::testing
