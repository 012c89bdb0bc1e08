#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "protocol/lobby_message.h"
#include "server/options.h"
#include "server/server.h"
#include "tests/support/scratch_directory.h"

namespace ardentis::server::testing {

using namespace std::chrono_literals;
using ardentis::testing::ScratchDirectory;
using protocol::LobbyMessage;

// Every wait in the tests is bounded by this; nothing a test expects takes near as long.
inline constexpr std::chrono::milliseconds kWait = 5s;

// A blocking client over a real loopback socket, reading whole records with timeouts.
class TestClient {
  public:
    // A receive buffer > 0 (a small one makes a slow reader) is set before connecting.
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
    void abort();  // closes at once, as a client that dies
    [[nodiscard]] int fd() const noexcept { return fd_; }

  private:
    bool fill(std::chrono::steady_clock::time_point deadline);

    int fd_ = -1;
    bool ended_ = false;
    std::vector<std::byte> buffer_;
};

// Options for a test server: loopback, a port the kernel picks, cheapest hashes and flood limits
// out of the way unless a test sets them.
[[nodiscard]] ServerOptions testOptions(const ScratchDirectory& dir);

// Adds an account straight to the database (GBK texts), as `user add` does.
void addAccount(const ServerOptions& options, std::string_view account, std::string_view password,
                std::string_view nickname = {}, std::int8_t uflag = 0, std::int32_t uvalue1 = 0);

// The real server on its own thread inside the test process.
class RunningServer {
  public:
    explicit RunningServer(const ServerOptions& options);
    ~RunningServer();
    RunningServer(const RunningServer&) = delete;
    RunningServer& operator=(const RunningServer&) = delete;
    [[nodiscard]] std::uint16_t port() const noexcept { return port_; }

  private:
    std::unique_ptr<Server> server_;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

// Records as clients build them: texts go to sparam1, sparam2, ... in order.
[[nodiscard]] LobbyMessage record(std::uint8_t command, std::int8_t sub,
                                  std::initializer_list<std::string_view> texts = {},
                                  std::int32_t iparam1 = 0);
[[nodiscard]] LobbyMessage loginRecord(std::string_view account, std::string_view password);
[[nodiscard]] LobbyMessage userUpdate(std::string_view account, std::string_view nickname,
                                      std::string_view location, std::string_view password = {});
// A room record (4,0 opens or changes, 4,15 game options) with one player.
[[nodiscard]] LobbyMessage roomRecord(std::int8_t sub, std::string_view roomno,
                                      std::string_view host, std::int32_t maxplayers = 8);
// Room sub-commands a client sends: {roomno, account}, chat {line, roomno, account}, player state
// {roomno, account} + state, game start {roomno, address, account}.
enum RoomSub : std::int8_t {
    kChat = 5,
    kJoin = 10,
    kLeave = 12,
    kOptions = 15,
    kState = 16,
    kStart = 20
};

[[nodiscard]] bool isKind(const LobbyMessage& message, std::uint8_t command, std::int8_t sub);
// A user record (2,0 / 2,1 / 4,2 / 4,11) about the account.
[[nodiscard]] bool isUser(const LobbyMessage& message, std::uint8_t command, std::int8_t sub,
                          std::string_view account);
// A room record (4,0 / 4,9 / 4,10) for the room number.
[[nodiscard]] bool isRoom(const LobbyMessage& message, std::int8_t sub, std::string_view roomno);
[[nodiscard]] std::size_t count(const std::vector<LobbyMessage>& seen, std::uint8_t command,
                                std::int8_t sub);
[[nodiscard]] std::string lobbyWord();  // "大厅" in code page 936

// Connects and logs in; the client is returned after LoginOk (nullptr otherwise).
[[nodiscard]] std::unique_ptr<TestClient> loggedIn(std::uint16_t port, std::string_view account,
                                                   std::string_view password = "pw");
// Sends a lobby chat marker line "account>>mark N" and returns it.
[[nodiscard]] std::string mark(TestClient& sender, std::string_view account);
// The records `observer` receives up to the last of the markers (any order): every record their
// senders sent before them has arrived by then. A test failure when one does not come.
[[nodiscard]] std::vector<LobbyMessage> upTo(TestClient& observer,
                                             const std::vector<std::string>& lines);
// True when the client hears its own marker: the server has handled all it sent before.
[[nodiscard]] bool sync(TestClient& client, std::string_view account);

// A server with auto-registration, started on first use so a test may change the options.
class LobbyTest : public ::testing::Test {
  protected:
    LobbyTest() { options.autoRegister = true; }
    std::uint16_t port();
    // A logged-in user who has read past the newcomer's lists.
    std::unique_ptr<TestClient> user(std::string_view account);
    // `host` opens a room and each joiner joins it; returns when everyone has read past it.
    void openRoom(TestClient& host, std::string_view hostAccount, std::string_view roomno,
                  std::initializer_list<std::pair<TestClient*, std::string_view>> joiners,
                  std::int32_t maxplayers = 8);

    ScratchDirectory dir;
    ServerOptions options = testOptions(dir);
    std::unique_ptr<RunningServer> server;
};

}  // namespace ardentis::server::testing
