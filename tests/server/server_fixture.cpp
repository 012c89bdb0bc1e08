#include "tests/server/server_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <stdexcept>

#include "protocol/des.h"
#include "server/account_store.h"
#include "server/password_hasher.h"
#include "text/code_page.h"

namespace ardentis::server::testing {
TestClient::TestClient(std::uint16_t port, int receiveBuffer) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) {
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        abort();
    }
}

void TestClient::abort() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool TestClient::sendBytes(std::span<const std::byte> bytes) {
    while (!bytes.empty() && fd_ >= 0) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0 && errno != EINTR) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(std::max<ssize_t>(sent, 0)));
    }
    return fd_ >= 0;
}

bool TestClient::fill(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd entry{fd_, POLLIN, 0};
    if (fd_ < 0 || ended_ || left.count() < 0 ||
        ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
        return false;
    }
    std::byte chunk[16384];
    const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
    if (got <= 0) {
        ended_ = got == 0 || errno != EINTR;
        return !ended_;
    }
    buffer_.insert(buffer_.end(), chunk, chunk + got);
    return true;
}

std::optional<LobbyMessage> TestClient::receive(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (buffer_.size() < protocol::kRecordSize) {
        if (!fill(deadline)) {
            return std::nullopt;
        }
    }
    auto message = LobbyMessage::fromBytes(std::span(buffer_).first(protocol::kRecordSize));
    buffer_.erase(buffer_.begin(), buffer_.begin() + protocol::kRecordSize);
    return *message;
}

std::optional<LobbyMessage> TestClient::waitFor(
    const std::function<bool(const LobbyMessage&)>& match, std::vector<LobbyMessage>* seen) {
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (auto message = receive(std::chrono::duration_cast<std::chrono::milliseconds>(
               deadline - std::chrono::steady_clock::now()))) {
        if (seen != nullptr) {
            seen->push_back(*message);
        }
        if (match(*message)) {
            return message;
        }
    }
    return std::nullopt;
}

ServerOptions testOptions(const ScratchDirectory& dir) {
    ServerOptions options;
    options.host = "127.0.0.1";
    options.port = 0;
    options.database = (dir.path() / "accounts.db").string();
    options.hashCost = HashCost::Minimum;
    options.chatRate = options.chatBurst = options.recordRate = options.recordBurst = 1e6;
    options.loginFailures = 1000;
    return options;
}

namespace {

AccountStore openStore(const ServerOptions& options) {
    auto store = AccountStore::open(options.database);
    if (!PasswordHasher::initialise() || !store) {
        throw std::runtime_error("cannot open the database");
    }
    return std::move(*store);
}

}  // namespace

void addAccount(const ServerOptions& options, std::string_view account, std::string_view password,
                std::string_view nickname, std::int8_t uflag, std::int32_t uvalue1) {
    auto store = openStore(options);
    const auto hash = PasswordHasher::hash(password, HashCost::Minimum);
    if (!hash ||
        !store.add({std::string(account), *hash, std::string(nickname.empty() ? account : nickname),
                    uflag, uvalue1, 0, 0})) {
        throw std::runtime_error("cannot add account");
    }
}

RunningServer::RunningServer(const ServerOptions& options)
    : server_(std::make_unique<Server>(options, openStore(options))) {
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

LobbyMessage record(std::uint8_t command, std::int8_t sub,
                    std::initializer_list<std::string_view> texts, std::int32_t iparam1) {
    LobbyMessage m{};
    m.setKind(command, sub);
    protocol::TextField<100>* wide[] = {&m.sparam1, &m.sparam2};
    protocol::TextField<20>* narrow[] = {&m.sparam3, &m.sparam4, &m.sparam5, &m.sparam6};
    std::size_t i = 0;
    for (const std::string_view text : texts) {
        i < 2 ? wide[i]->set(text) : narrow[i - 2]->set(text);
        ++i;
    }
    m.iparam1.set(iparam1);
    return m;
}

LobbyMessage loginRecord(std::string_view account, std::string_view password) {
    return record(0, 0, {account, protocol::des::EncryptHex(password)});
}

LobbyMessage userUpdate(std::string_view account, std::string_view nickname,
                        std::string_view location, std::string_view password) {
    const std::string cipher = protocol::des::EncryptHex(password);
    LobbyMessage m = record(2, 0, {account, cipher, nickname, {}, {}, location}, 99);
    m.iparam2.set(12345);
    return m;
}

LobbyMessage roomRecord(std::int8_t sub, std::string_view roomno, std::string_view host,
                        std::int32_t maxplayers) {
    LobbyMessage m = record(4, sub, {"Coast To Coast", "come in", roomno}, maxplayers);
    m.sparam9.set(host);
    m.iparam2.set(1);
    return m;
}

bool isKind(const LobbyMessage& message, std::uint8_t command, std::int8_t sub) {
    return message.command == command && message.signedSubcommand() == sub;
}

bool isUser(const LobbyMessage& message, std::uint8_t command, std::int8_t sub,
            std::string_view account) {
    return isKind(message, command, sub) && message.sparam1.view() == account;
}

bool isRoom(const LobbyMessage& message, std::int8_t sub, std::string_view roomno) {
    return isKind(message, 4, sub) && message.sparam3.view() == roomno;
}

std::size_t count(const std::vector<LobbyMessage>& seen, std::uint8_t command, std::int8_t sub) {
    return static_cast<std::size_t>(std::ranges::count_if(
        seen, [&](const LobbyMessage& m) { return isKind(m, command, sub); }));
}

std::string lobbyWord() {
    return text::gbk("大厅").bytes();
}

std::unique_ptr<TestClient> loggedIn(std::uint16_t port, std::string_view account,
                                     std::string_view password) {
    auto client = std::make_unique<TestClient>(port);
    const bool sent = client->send(loginRecord(account, password));
    const auto answer = sent ? client->receive() : std::nullopt;
    return answer && isKind(*answer, 0, 0) ? std::move(client) : nullptr;
}

std::string mark(TestClient& sender, std::string_view account) {
    static std::atomic<int> counter{0};
    const std::string line = std::string(account) + ">>mark " + std::to_string(counter++);
    EXPECT_TRUE(sender.send(record(1, 0, {line})));
    return line;
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

std::uint16_t LobbyTest::port() {
    if (!server) {
        server = std::make_unique<RunningServer>(options);
    }
    return server->port();
}

std::unique_ptr<TestClient> LobbyTest::user(std::string_view account) {
    auto client = loggedIn(port(), account);
    EXPECT_TRUE(client && sync(*client, account)) << account;
    return client;
}

void LobbyTest::openRoom(TestClient& host, std::string_view hostAccount, std::string_view roomno,
                         std::initializer_list<std::pair<TestClient*, std::string_view>> joiners,
                         std::int32_t maxplayers) {
    ASSERT_TRUE(host.send(roomRecord(0, roomno, hostAccount, maxplayers)));
    ASSERT_TRUE(host.waitFor([&](const LobbyMessage& m) { return isRoom(m, 0, roomno); }));
    for (const auto& [joiner, account] : joiners) {
        ASSERT_TRUE(joiner->send(record(4, kJoin, {roomno, "whoever"})));
        ASSERT_TRUE(joiner->waitFor(
            [&](const LobbyMessage& m) { return isKind(m, 4, 2) && m.sparam9.view() == roomno; }));
    }
    ASSERT_TRUE(sync(host, hostAccount));
    for (const auto& [joiner, account] : joiners) {
        ASSERT_TRUE(sync(*joiner, account));
    }
}

}  // namespace ardentis::server::testing
