#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "protocol/des.h"
#include "protocol/lobby_message.h"
#include "server/options.h"
#include "server/password_hasher.h"
#include "server/server.h"
#include "server/tls_context.h"
#include "tests/support/loopback_peer.h"
#include "tests/support/scratch_directory.h"
#include "text/code_page.h"

namespace ardentis::server::testing {

using namespace std::chrono_literals;
using ardentis::testing::ScratchDirectory;
using protocol::LobbyMessage;
using Match = std::function<bool(const LobbyMessage&)>;

// A record of one kind; with `text`, also its first text.
inline Match is(std::uint8_t command, std::int8_t sub, std::string text = {}) {
    return [=](const LobbyMessage& m) {
        return m.command == command && m.signedSubcommand() == sub &&
               (text.empty() || m.sparam1.view() == text);
    };
}

// A lobby client on a real loopback connection, reading whole records, every wait bounded.
struct TestClient : ardentis::testing::LoopbackPeer {
    using LoopbackPeer::LoopbackPeer;
    // False when the server has closed the connection.
    bool send(const LobbyMessage& message) { return trySend(message.toBytes()); }
    // Skips records until one matches (nothing when none comes in time); keeps each in `seen`.
    std::optional<LobbyMessage> waitFor(const Match& match,
                                        std::chrono::milliseconds wait = kWait) {
        for (auto bytes = receive(protocol::kRecordSize, wait);
             bytes.size() == protocol::kRecordSize; bytes = receive(protocol::kRecordSize, wait)) {
            if (match(seen.emplace_back(*LobbyMessage::fromBytes(bytes)))) {
                return seen.back();
            }
        }
        return std::nullopt;
    }
    std::optional<LobbyMessage> next(std::chrono::milliseconds wait = kWait) {
        return waitFor([](auto&) { return true; }, wait);
    }
    // True when the server closes the connection (records are skipped).
    bool waitClosed(std::chrono::milliseconds wait = kWait) {
        return !waitFor([](auto&) { return false; }, wait) && ended();
    }

    std::string account;             // who it logged in as, for its marker lines
    std::string token;               // the resumption token its LoginOk gave
    std::vector<LobbyMessage> seen;  // every record received, until a test clears it
};

// Records as clients build them: texts go to sparam1, sparam2, sparam3 and sparam6.
inline LobbyMessage record(std::uint8_t command, std::int8_t sub,
                           std::vector<std::string_view> texts = {}, std::int32_t iparam1 = 0) {
    LobbyMessage m{};
    m.setKind(command, sub);
    texts.resize(6);
    m.sparam1.set(texts[0]);
    m.sparam2.set(texts[1]);
    m.sparam3.set(texts[2]);
    m.sparam6.set(texts[5]);
    m.iparam1.set(iparam1);
    return m;
}
// A log-in record; a resumption token goes half in sparam7, half in sparam8.
inline LobbyMessage loginRecord(std::string_view account, std::string_view password,
                                std::string_view token = {}) {
    LobbyMessage m = record(0, 0, {account, protocol::des::EncryptHex(password)});
    m.sparam7.set(token.substr(0, token.size() / 2));
    m.sparam8.set(token.substr(token.size() / 2));
    return m;
}
// The resumption token a LoginOk carries.
inline std::string tokenOf(const LobbyMessage& ok) {
    return std::string(ok.sparam7.view()) + std::string(ok.sparam8.view());
}
// A room record (4,0 opens or changes, 4,15 game options) with one player.
inline LobbyMessage roomRecord(std::int8_t sub, std::string_view roomno, std::string_view host,
                               std::int32_t maxplayers = 8) {
    LobbyMessage m = record(4, sub, {"Map", "", roomno}, maxplayers);
    m.sparam9.set(host);
    m.iparam2.set(1);
    return m;
}

// Connects and logs in (with a token, when given); the client is returned after LoginOk
// (nullptr otherwise).
inline std::unique_ptr<TestClient> loggedIn(std::uint16_t port, std::string_view account,
                                            std::string_view password = "pw",
                                            std::string_view token = {}) {
    auto client = std::make_unique<TestClient>(port);
    client->account = account;
    const auto answer =
        client->send(loginRecord(account, password, token)) ? client->next() : std::nullopt;
    if (!answer || !is(0, 0)(*answer)) {
        return nullptr;
    }
    client->token = tokenOf(*answer);
    return client;
}
// Sends a lobby chat marker line "account>>mark N" and returns it.
inline std::string mark(TestClient& sender) {
    static std::atomic<int> counter{0};
    const std::string line = sender.account + ">>mark " + std::to_string(counter++);
    EXPECT_TRUE(sender.send(record(1, 0, {line})));
    return line;
}
// True when the client hears its own marker: the server has handled all it sent before.
inline bool sync(TestClient& client) {
    return client.waitFor(is(1, 0, mark(client))).has_value();
}

// Loopback, a port the kernel picks, auto-registration, cheapest hashes, no flood limits.
inline ServerOptions testOptions(const ScratchDirectory& dir) {
    EXPECT_TRUE(PasswordHasher::initialise()) << "libsodium cannot start";
    ServerOptions options;
    options.host = "127.0.0.1";
    options.port = 0;
    options.database = (dir / "accounts.db").string();
    options.hashCost = HashCost::Minimum;
    options.chatRate = options.chatBurst = options.recordRate = options.recordBurst = 1e6;
    options.loginFailures = 1000;
    options.autoRegister = true;
    return options;
}

// The real server on its own thread inside the test process; with a TLS listener, a
// metrics endpoint and a control socket too when the options name them.
class RunningServer {
  public:
    explicit RunningServer(const ServerOptions& options)
        : server_(std::make_unique<Server>(
              options, AccountStore::open(options.database).value(),
              options.tlsHost.empty() ? nullptr : makeTlsContext(options).value())),
          port_(server_->listen().value()),
          tlsPort_(options.tlsHost.empty() ? 0 : server_->listenTls().value()),
          metricsPort_(options.metricsHost.empty() ? 0 : server_->listenMetrics().value()),
          controlled_(options.controlSocket.empty() || server_->listenControl().has_value()),
          thread_([this] { server_->run(); }) {}
    ~RunningServer() { server_->stop(); }  // then the thread ends and is joined
    [[nodiscard]] std::uint16_t port() const noexcept { return port_; }
    [[nodiscard]] std::uint16_t tlsPort() const noexcept { return tlsPort_; }
    [[nodiscard]] std::uint16_t metricsPort() const noexcept { return metricsPort_; }
    [[nodiscard]] bool controlled() const noexcept { return controlled_; }

  private:
    std::unique_ptr<Server> server_;
    std::uint16_t port_ = 0;
    std::uint16_t tlsPort_ = 0;
    std::uint16_t metricsPort_ = 0;
    bool controlled_ = false;  // a control socket is taken when the options name one
    std::jthread thread_;
};

}  // namespace ardentis::server::testing
