#include "tests/server/server_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include <gtest/gtest.h>

#include "server/password_hasher.h"
#include "tests/server/lobby_records.h"

namespace ardentis::server::testing {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ =
        std::filesystem::temp_directory_path() /
        ("ardentis-server-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ServerOptions testOptions(const TempDir& dir) {
    ServerOptions options;
    options.host = "127.0.0.1";
    options.port = 0;
    options.database = (dir.path() / "accounts.db").string();
    options.hashCost = HashCost::Minimum;
    options.chatRate = options.chatBurst = 1e6;
    options.recordRate = options.recordBurst = 1e6;
    options.loginFailures = 1000;
    return options;
}

void addAccount(const ServerOptions& options, std::string_view account, std::string_view password,
                std::string_view nickname, std::int8_t uflag, std::int32_t uvalue1) {
    if (!PasswordHasher::initialise()) {
        throw std::runtime_error("libsodium");
    }
    auto store = AccountStore::open(options.database);
    auto hash = PasswordHasher::hash(password, HashCost::Minimum);
    if (!store || !hash) {
        throw std::runtime_error("cannot add account");
    }
    const Account created{std::string(account),
                          *hash,
                          std::string(nickname.empty() ? account : nickname),
                          uflag,
                          uvalue1,
                          0,
                          0};
    if (!store->add(created)) {
        throw std::runtime_error("cannot add account");
    }
}

RunningServer::RunningServer(const ServerOptions& options) {
    if (!PasswordHasher::initialise()) {
        throw std::runtime_error("libsodium");
    }
    auto store = AccountStore::open(options.database);
    if (!store) {
        throw std::runtime_error("cannot open the database");
    }
    server_ = std::make_unique<Server>(options, std::move(*store));
    const auto port = server_->listen();
    if (!port) {
        throw std::runtime_error("cannot listen");
    }
    port_ = *port;
    thread_ = std::thread([this] { server_->run(); });
}

RunningServer::~RunningServer() {
    server_->stop();
    thread_.join();
}

std::unique_ptr<TestClient> loggedIn(std::uint16_t port, std::string_view account,
                                     std::string_view password) {
    auto client = std::make_unique<TestClient>(port);
    if (!client->send(loginRecord(account, password))) {
        return nullptr;
    }
    const auto answer = client->receive();
    if (!answer || !isKind(*answer, 0, 0)) {
        return nullptr;
    }
    return client;
}

std::string mark(TestClient& sender, std::string_view account) {
    static std::atomic<int> counter{0};
    const std::string line = std::string(account) + ">>mark " + std::to_string(counter++);
    EXPECT_TRUE(sender.send(lobbyChat(line)));
    return line;
}

std::vector<LobbyMessage> upTo(TestClient& observer, std::string_view line) {
    std::vector<LobbyMessage> seen;
    const auto found = observer.waitFor(
        [&](const LobbyMessage& m) { return isKind(m, 1, 0) && m.sparam1.view() == line; }, &seen);
    EXPECT_TRUE(found.has_value()) << "marker " << line << " never came";
    return seen;
}

std::vector<LobbyMessage> upTo(TestClient& observer, const std::vector<std::string>& lines) {
    std::vector<LobbyMessage> seen;
    std::size_t found = 0;
    const auto last = observer.waitFor(
        [&](const LobbyMessage& m) {
            found += static_cast<std::size_t>(
                isKind(m, 1, 0) && std::ranges::find(lines, m.sparam1.view()) != lines.end());
            return found == lines.size();
        },
        &seen);
    EXPECT_TRUE(last.has_value()) << "only " << found << " of " << lines.size() << " markers came";
    return seen;
}

bool sync(TestClient& client, std::string_view account) {
    const std::string line = mark(client, account);
    return client
        .waitFor([&](const LobbyMessage& m) { return isKind(m, 1, 0) && m.sparam1.view() == line; })
        .has_value();
}

}  // namespace ardentis::server::testing
