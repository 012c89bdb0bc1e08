// Who gets in, and what the server bounds or refuses so that one client cannot harm the others.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <random>

#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {
namespace {

using Login = LobbyTest;
using Limits = LobbyTest;

std::optional<LobbyMessage> answerTo(TestClient& client, const LobbyMessage& login) {
    EXPECT_TRUE(client.send(login));
    return client.waitFor([](const LobbyMessage& m) { return m.command == 0; });
}

int answerKind(TestClient& client, std::string_view account, std::string_view password) {
    const auto answer = answerTo(client, loginRecord(account, password));
    return answer ? answer->signedSubcommand() : -99;
}

// Failures from one address are counted: the third ends the attempts, even good ones.
TEST_F(Login, BadGetsLoginBadGoodItsRecordWithoutPasswordOnLineLoginDupThenThrottled) {
    options.autoRegister = false;
    options.loginFailures = 3;
    addAccount(options, "alice", "secret", "Alice A", 3, 77);
    TestClient client(port());
    EXPECT_EQ(answerKind(client, "alice", "guess"), 1);
    EXPECT_EQ(answerKind(client, "nobody", "secret"), 1);
    LobbyMessage notHex = loginRecord("alice", "secret");
    notHex.sparam2.set("not hex at all");
    const auto refused = answerTo(client, notHex);
    EXPECT_TRUE(refused && isKind(*refused, 0, 1));
    const auto answer = answerTo(client, loginRecord("alice", "secret"));
    ASSERT_TRUE(answer && isUser(*answer, 0, 0, "alice"));
    EXPECT_EQ(answer->sparam2.view(), "");
    EXPECT_EQ(answer->sparam3.view(), "Alice A");
    EXPECT_EQ(answer->sparam6.view(), lobbyWord());
    EXPECT_EQ(answer->iparam1.get(), 3);
    EXPECT_EQ(answer->iparam2.get(), 77);
    TestClient second(port());
    EXPECT_EQ(answerKind(second, "alice", "secret"), -1) << "the account is on line";
    EXPECT_TRUE(sync(client, "alice")) << "the first stays on";
    EXPECT_EQ(answerKind(second, "alice", "wrong"), 1);
    EXPECT_EQ(answerKind(second, "alice", "secret"), 1) << "throttled, not LoginDup";
}

TEST_F(Login, NewcomerGetsEveryUserAndRoomOthersGetTheNewcomerAutoRegistrationKeepsThePassword) {
    auto a = user("a");
    auto b = user("b");
    openRoom(*a, "a", "101", {});
    TestClient c(port());
    // Records before the log-in count for nothing.
    ASSERT_TRUE(c.send(record(1, 0, {"c>>too soon"})));
    ASSERT_TRUE(c.send(roomRecord(0, "7", "c")));
    std::vector<LobbyMessage> seen;
    ASSERT_TRUE(c.send(loginRecord("c", "pw")));
    ASSERT_TRUE(c.waitFor([](const LobbyMessage& m) { return m.command == 0; }, &seen));
    ASSERT_EQ(seen.size(), 1U);
    const auto lists = upTo(c, {mark(*a, "a")});  // the lists come with the answer
    for (const char* account : {"a", "b", "c"}) {
        EXPECT_EQ(std::ranges::count_if(
                      lists, [&](const LobbyMessage& m) { return isUser(m, 2, 0, account); }),
                  1)
            << account;
    }
    EXPECT_TRUE(std::ranges::any_of(lists, [](const LobbyMessage& m) {
        return isRoom(m, 0, "101") && m.sparam9.view() == "a";
    }));
    for (TestClient* other : {a.get(), b.get()}) {
        const auto seenByOther = upTo(*other, {mark(c, "c")});
        const auto news = std::ranges::find_if(
            seenByOther, [](const LobbyMessage& m) { return isUser(m, 2, 0, "c"); });
        ASSERT_NE(news, seenByOther.end());
        EXPECT_EQ(news->sparam6.view(), lobbyWord());
        EXPECT_FALSE(std::ranges::any_of(seenByOther, [](const LobbyMessage& m) {
            return isRoom(m, 0, "7") || m.sparam1.view() == "c>>too soon";
        }));
    }
    TestClient again(port());  // b is on line: only the first password gets that far
    EXPECT_EQ(answerKind(again, "b", "other"), 1);
    EXPECT_EQ(answerKind(again, "b", "pw"), -1);
}

// A silent connection holds a place until the log-in timeout closes it.
TEST_F(Limits, ConnectionsBeyondTheLimitAreClosedUntilTheSilentOneTimesOut) {
    options.maxClients = 2;
    options.loginTimeout = 500ms;
    auto first = loggedIn(port(), "first");
    ASSERT_TRUE(first);
    TestClient silent(port());
    EXPECT_FALSE(loggedIn(port(), "third"));
    EXPECT_TRUE(silent.waitClosed());
    std::unique_ptr<TestClient> fourth;
    for (int attempt = 0; attempt < 100 && !fourth; ++attempt) {
        std::this_thread::sleep_for(20ms);
        fourth = loggedIn(port(), "fourth");
    }
    EXPECT_TRUE(fourth);
    EXPECT_TRUE(sync(*first, "first")) << "who logged in in time stays";
}

TEST_F(Limits, ChatBeyondTheBurstIsDroppedOtherRecordsPass) {
    options.chatRate = 1;
    options.chatBurst = 5;
    auto talker = user("talker");
    auto watcher = user("watcher");
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(talker->send(record(1, 0, {"talker>>" + std::to_string(i)})));
    }
    // Not chat, so it passes; once the talker sees it, all its lines have been judged.
    ASSERT_TRUE(talker->send(roomRecord(0, "8", "talker")));
    ASSERT_TRUE(talker->waitFor([](const LobbyMessage& m) { return isRoom(m, 0, "8"); }));
    const auto seen = upTo(*watcher, {mark(*watcher, "watcher")});
    const std::size_t lines = count(seen, 1, 0) - 1;
    EXPECT_GE(lines, 4U);  // the burst, less the line the talker synced with
    EXPECT_LT(lines, 30U);
    EXPECT_EQ(count(seen, 4, 0), 1U);
}

TEST_F(Limits, SlowReaderIsCutOffWhileTheOthersGetEverythingInOrder) {
    options.queueLimit = 64;
    auto talker = user("talker");
    auto reader = user("reader");
    auto slow = std::make_unique<TestClient>(port(), 4096);
    ASSERT_TRUE(slow->send(loginRecord("slow", "pw")));
    ASSERT_TRUE(slow->receive());  // logged in; from now on it reads nothing
    const std::string filler(80, 'x');
    int sent = 0;
    int received = 0;
    const auto take = [&](const LobbyMessage& m) {
        if (isKind(m, 1, 0) && !m.sparam1.view().starts_with("talker>>mark")) {
            ASSERT_EQ(m.sparam1.view(), "talker>>" + std::to_string(received++) + filler);
        }
    };
    bool cut = false;
    while (!cut && sent < 200000) {
        for (int i = 0; i < 50; ++i) {
            ASSERT_TRUE(talker->send(record(1, 0, {"talker>>" + std::to_string(sent++) + filler})));
        }
        while (talker->receive(0ms)) {  // the talker hears itself and must keep up too
        }
        while (auto m = reader->receive(received + 100 < sent ? kWait : 1ms)) {
            cut = cut || isUser(*m, 2, 1, "slow");
            take(*m);
        }
    }
    ASSERT_TRUE(cut) << "the slow reader was never cut off";
    EXPECT_TRUE(slow->waitClosed());
    for (const LobbyMessage& m : upTo(*reader, {mark(*talker, "talker")})) {
        take(m);
    }
    EXPECT_EQ(received, sent);
}

TEST_F(Limits, ServerSideSocketProbesIdlePeers) {
    options.keepAliveIdle = std::chrono::seconds(17);
    auto client = user("client");
    // The server's end of the connection lives in this process: the socket whose peer is us.
    sockaddr_in local{};
    socklen_t localSize = sizeof local;
    ASSERT_EQ(::getsockname(client->fd(), reinterpret_cast<sockaddr*>(&local), &localSize), 0);
    int found = 0;
    for (int fd = 3; fd < 1024; ++fd) {
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0 ||
            peer.sin_port != local.sin_port) {
            continue;
        }
        int on = 0;
        int idle = 0;
        socklen_t length = sizeof on;
        ::getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, &length);
        ::getsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, &length);
        EXPECT_EQ(on, 1);
        EXPECT_EQ(idle, 17);
        ++found;
    }
    EXPECT_EQ(found, 1);
}

TEST_F(Limits, HostileBytesAndKindsAreDroppedAndTheServerCarriesOn) {
    auto hostile = user("hostile");
    auto host = user("host");
    openRoom(*host, "host", "1", {{hostile.get(), "hostile"}});
    // Unknown kinds and kinds only the server sends.
    const std::initializer_list<std::pair<std::uint8_t, std::int8_t>> kinds = {
        {3, 0}, {5, 0}, {200, 7}, {2, 1}, {4, 2}, {4, 9}, {4, 11}, {4, 7}, {4, -1}, {0, 0}};
    for (const auto& [command, sub] : kinds) {
        LobbyMessage m = userUpdate("hostile", "x", "1");
        m.setKind(command, sub);
        m.sparam9.set("1");
        ASSERT_TRUE(hostile->send(m));
    }
    for (const LobbyMessage& m : upTo(*host, {mark(*hostile, "hostile")})) {
        EXPECT_FALSE(std::ranges::any_of(
            kinds, [&](const auto& kind) { return isKind(m, kind.first, kind.second); }))
            << int(m.command) << ":" << int(m.signedSubcommand());
        EXPECT_FALSE(isKind(m, 2, 0) && m.sparam3.view() == "x");
    }
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        std::array<std::byte, protocol::kRecordSize> bytes{};
        for (auto& b : bytes) {
            b = static_cast<std::byte>(random());
        }
        bytes[0] = static_cast<std::byte>(i % 6);  // mostly kinds the server acts on
        if (i % 3 == 0) {
            bytes[1] = static_cast<std::byte>(std::array{0, 2, 5, 10, 12, 15, 16, 20}[i % 8]);
        }
        ASSERT_TRUE(hostile->sendBytes(bytes));
    }
    // Half a record, then gone: nothing of it is relayed.
    const auto half = record(1, 0, {"hostile>>half"}).toBytes();
    ASSERT_TRUE(hostile->sendBytes(std::span(half).first(150)));
    hostile->abort();
    std::vector<LobbyMessage> seen;
    ASSERT_TRUE(host->waitFor([](auto& m) { return isUser(m, 2, 1, "hostile"); }, &seen));
    EXPECT_EQ(
        std::ranges::count_if(seen, [](auto& m) { return m.sparam1.view() == "hostile>>half"; }),
        0);
    auto newcomer = user("newcomer");
    EXPECT_TRUE(newcomer && sync(*host, "host"));
}

}  // namespace
}  // namespace ardentis::server::testing
