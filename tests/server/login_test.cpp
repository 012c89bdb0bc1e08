// Who gets in, and what the server bounds or refuses so that one client cannot harm the others.
#include <gtest/gtest.h>

#include "server/account_store.h"
#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {
namespace {

using Login = LobbyTest;
using Limits = LobbyTest;

// The answer to a log-in record (command 99 when none comes).
LobbyMessage answer(TestClient& client, const LobbyMessage& login) {
    EXPECT_TRUE(client.send(login));
    return client.waitFor([](auto& m) { return m.command == 0; }).value_or(record(99, 0));
}

// Failures from one address are counted: the third ends the attempts, even good ones.
TEST_F(Login, BadGetsLoginBadGoodItsRecordWithoutPasswordOnLineLoginDupThenThrottled) {
    options.autoRegister = false;
    options.loginFailures = 3;
    TestClient client(port());
    ASSERT_TRUE(AccountStore::open(options.database)
                    ->add({"alice", PasswordHasher::hash("secret", HashCost::Minimum).value(),
                           "Alice A", 3, 77, 0, 0}));
    client.account = "alice";
    // Records before the log-in count for nothing.
    ASSERT_TRUE(client.send(record(1, 0, {"alice>>too soon"})));
    ASSERT_TRUE(client.send(roomRecord(0, "7", "alice")));
    LobbyMessage notHex = loginRecord("alice", "secret");
    notHex.sparam2.set("not hex at all");
    for (const LobbyMessage& bad :
         {loginRecord("alice", "guess"), loginRecord("nobody", "secret"), notHex}) {
        EXPECT_TRUE(Is(0, 1)(answer(client, bad))) << bad.sparam1.view();
    }
    const LobbyMessage ok = answer(client, loginRecord("alice", "secret"));
    ASSERT_TRUE(Is(0, 0, "alice")(ok));
    EXPECT_EQ(ok.sparam3.view(), "Alice A");
    EXPECT_EQ(ok.iparam1.get(), 3);
    EXPECT_EQ(ok.iparam2.get(), 77);
    Seen seen;
    ASSERT_TRUE(client.waitFor(Is(1, 0, mark(client)), &seen));
    EXPECT_EQ(count(seen, Is(4, 0)) + count(seen, Is(1, 0, "alice>>too soon")), 0U);
    TestClient second(port());
    EXPECT_TRUE(Is(0, -1)(answer(second, loginRecord("alice", "secret")))) << "alice is on line";
    EXPECT_TRUE(sync(client)) << "the first stays on";
    EXPECT_TRUE(Is(0, 1)(answer(second, loginRecord("alice", "wrong"))));
    EXPECT_TRUE(Is(0, 1)(answer(second, loginRecord("alice", "secret")))) << "throttled";
}

// A silent connection holds a place until the log-in timeout closes it; half a record, then
// gone, is dropped; the server's end of a connection probes an idle peer.
TEST_F(Limits, ConnectionsBeyondTheLimitAreClosedUntilTheSilentOneTimesOutIdlePeersProbed) {
    options.maxClients = 2;
    options.loginTimeout = 500ms;
    options.keepAliveIdle = 17s;
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
    // Half a record, then gone: nothing of it is relayed, and the server carries on.
    const auto half = record(1, 0, {"fourth>>half"}).toBytes();
    ASSERT_TRUE(fourth && fourth->sendBytes(std::span(half).first(150)));
    fourth->abort();
    Seen seen;
    ASSERT_TRUE(first->waitFor(Is(2, 1, "fourth"), &seen));
    EXPECT_EQ(count(seen, Is(1, 0, "fourth>>half")), 0U);
    EXPECT_TRUE(sync(*first)) << "who logged in in time stays";
    // The server's ends live in this process, the only sockets that probe idle peers: first's
    // alone is left.
    std::vector<int> idle;
    for (int fd = 3; fd < 1024; ++fd) {
        int on = 0;
        int seconds = 0;
        socklen_t length = sizeof on;
        if (::getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, &length) == 0 && on == 1) {
            ::getsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &seconds, &length);
            idle.push_back(seconds);
        }
    }
    EXPECT_EQ(idle, std::vector<int>{17});
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
    ASSERT_TRUE(talker->waitFor(Is(4, 0)));
    Seen seen;
    ASSERT_TRUE(watcher->waitFor(Is(1, 0, mark(*watcher)), &seen));
    const std::size_t lines = count(seen, Is(1, 0)) - 1;
    EXPECT_GE(lines, 4U);  // the burst, less the line the talker synced with
    EXPECT_LT(lines, 30U);
    EXPECT_EQ(count(seen, Is(4, 0)), 1U);
}

TEST_F(Limits, SlowReaderIsCutOffWhileTheOthersGetEverythingInOrder) {
    options.queueLimit = 64;
    auto talker = user("talker");
    auto reader = user("reader");
    TestClient slow(port(), 4096);
    ASSERT_TRUE(slow.send(loginRecord("slow", "pw")));
    ASSERT_TRUE(slow.receive());  // logged in; from now on it reads nothing
    const std::string filler(80, 'x');
    int sent = 0;
    int received = 0;
    const auto take = [&](const LobbyMessage& m) {
        if (Is(1, 0)(m) && !m.sparam1.view().starts_with("talker>>mark")) {
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
            cut = cut || Is(2, 1, "slow")(*m);
            take(*m);
        }
    }
    ASSERT_TRUE(cut) << "the slow reader was never cut off";
    EXPECT_TRUE(slow.waitClosed());
    Seen seen;
    ASSERT_TRUE(reader->waitFor(Is(1, 0, mark(*talker)), &seen));
    std::ranges::for_each(seen, take);
    EXPECT_EQ(received, sent);
}

}  // namespace
}  // namespace ardentis::server::testing
