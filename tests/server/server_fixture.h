#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "server/account_store.h"
#include "server/options.h"
#include "server/server.h"
#include "tests/server/test_client.h"

namespace ardentis::server::testing {

// A scratch folder, removed at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::filesystem::path& path() const noexcept { return path_; }

  private:
    std::filesystem::path path_;
};

// Options for a test server: loopback, a port the kernel picks, cheapest hashes and
// flood limits out of the way unless a test sets them.
[[nodiscard]] ServerOptions testOptions(const TempDir& dir);

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

// Connects and logs in; the client is returned after LoginOk (nullptr otherwise).
[[nodiscard]] std::unique_ptr<TestClient> loggedIn(std::uint16_t port, std::string_view account,
                                                   std::string_view password = "pw");

// Lobby chat "account>>text" from the client, then waits for its own echo: when this
// returns, the server has handled every record the client sent before.
[[nodiscard]] bool sync(TestClient& client, std::string_view account);

// Sends a lobby chat marker line from `sender` and returns it. Every record `sender`
// sent before reaches any observer ahead of the marker.
[[nodiscard]] std::string mark(TestClient& sender, std::string_view account);
// The records `observer` receives up to and including the marker line; a test failure
// when the marker does not come.
[[nodiscard]] std::vector<LobbyMessage> upTo(TestClient& observer, std::string_view line);
// The same for several markers from several senders, in any order: every record those
// senders sent before their markers has reached the observer by the last of them.
[[nodiscard]] std::vector<LobbyMessage> upTo(TestClient& observer,
                                             const std::vector<std::string>& lines);

}  // namespace ardentis::server::testing
