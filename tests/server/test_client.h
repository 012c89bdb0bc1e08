#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
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
    // Connects to 127.0.0.1:port. A receive buffer size > 0 is set before connecting
    // (a small one makes a slow reader).
    explicit TestClient(std::uint16_t port, int receiveBuffer = 0);
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    [[nodiscard]] bool connected() const noexcept { return fd_ >= 0; }
    // False when the server has closed the connection.
    bool send(const LobbyMessage& message);
    bool sendBytes(std::span<const std::byte> bytes);

    // The next record, or nothing when none comes within the timeout or the connection ends.
    [[nodiscard]] std::optional<LobbyMessage> receive(std::chrono::milliseconds timeout = kWait);
    // Skips records until one matches; every record seen, the match last, goes to `seen`.
    [[nodiscard]] std::optional<LobbyMessage> waitFor(
        const std::function<bool(const LobbyMessage&)>& match,
        std::vector<LobbyMessage>* seen = nullptr, std::chrono::milliseconds timeout = kWait);
    // True when the server closes the connection within the timeout (records are skipped).
    [[nodiscard]] bool waitClosed(std::chrono::milliseconds timeout = kWait);
    // Closes at once, as a client that dies.
    void abort();

  private:
    bool fill(std::chrono::steady_clock::time_point deadline);

    int fd_ = -1;
    bool ended_ = false;
    std::vector<std::byte> buffer_;
};

}  // namespace ardentis::server::testing
