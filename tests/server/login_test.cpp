#include <gtest/gtest.h>

#include <thread>

#include "tests/server/lobby_records.h"
#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {
namespace {

class Login : public ::testing::Test {
  protected:
    void start() { server = std::make_unique<RunningServer>(options); }

    TempDir dir;
    ServerOptions options = testOptions(dir);
    std::unique_ptr<RunningServer> server;
};

std::optional<LobbyMessage> answerTo(TestClient& client, std::string_view account,
                                     std::string_view password) {
    EXPECT_TRUE(client.send(loginRecord(account, password)));
    return client.waitFor([](const LobbyMessage& m) { return m.command == 0; });
}

TEST_F(Login, GoodPasswordGetsOwnRecordInTheLobbyWithoutPassword) {
    addAccount(options, "alice", "secret", "Alice A", 3, 77);
    start();
    TestClient client(server->port());
    const auto answer = answerTo(client, "alice", "secret");
    ASSERT_TRUE(answer);
    EXPECT_TRUE(isKind(*answer, 0, 0));
    EXPECT_EQ(answer->sparam1.view(), "alice");
    EXPECT_EQ(answer->sparam2.view(), "");
    EXPECT_EQ(answer->sparam3.view(), "Alice A");
    EXPECT_EQ(answer->sparam6.view(), lobbyWord());
    EXPECT_EQ(answer->iparam1.get(), 3);
    EXPECT_EQ(answer->iparam2.get(), 77);
}

TEST_F(Login, WrongPasswordAndUnknownAccountGetLoginBad) {
    addAccount(options, "alice", "secret");
    start();
    TestClient client(server->port());
    const auto wrong = answerTo(client, "alice", "guess");
    ASSERT_TRUE(wrong);
    EXPECT_TRUE(isKind(*wrong, 0, 1));
    const auto unknown = answerTo(client, "nobody", "secret");
    ASSERT_TRUE(unknown);
    EXPECT_TRUE(isKind(*unknown, 0, 1));
    // The connection may try again and succeed.
    const auto good = answerTo(client, "alice", "secret");
    ASSERT_TRUE(good);
    EXPECT_TRUE(isKind(*good, 0, 0));
}

TEST_F(Login, AccountOnLineGetsLoginDupAndTheFirstStaysOn) {
    addAccount(options, "alice", "secret");
    start();
    auto first = loggedIn(server->port(), "alice", "secret");
    ASSERT_TRUE(first);
    TestClient second(server->port());
    const auto answer = answerTo(second, "alice", "secret");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->subcommand, 255);
    EXPECT_TRUE(sync(*first, "alice"));
}

TEST_F(Login, AutoRegistrationCreatesTheAccountWithThatPassword) {
    options.autoRegister = true;
    start();
    {
        auto created = loggedIn(server->port(), "newbie", "first");
        ASSERT_TRUE(created);
    }
    TestClient again(server->port());
    const auto wrong = answerTo(again, "newbie", "second");
    ASSERT_TRUE(wrong);
    EXPECT_TRUE(isKind(*wrong, 0, 1));
    const auto right = answerTo(again, "newbie", "first");
    ASSERT_TRUE(right);
    EXPECT_TRUE(isKind(*right, 0, 0));
}

TEST_F(Login, WithoutAutoRegistrationUnknownAccountsStayUnknown) {
    start();
    TestClient client(server->port());
    const auto answer = answerTo(client, "newbie", "first");
    ASSERT_TRUE(answer);
    EXPECT_TRUE(isKind(*answer, 0, 1));
}

TEST_F(Login, NewcomerGetsEveryUserAndRoomAndOthersGetTheNewcomer) {
    options.autoRegister = true;
    start();
    auto a = loggedIn(server->port(), "a");
    auto b = loggedIn(server->port(), "b");
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(a->send(roomRecord(0, room("101", "a"))));
    ASSERT_TRUE(a->waitFor([](const LobbyMessage& m) { return isRoom(m, 0, "101"); }));

    TestClient c(server->port());
    ASSERT_TRUE(c.send(loginRecord("c", "pw")));
    std::vector<LobbyMessage> seen;
    ASSERT_TRUE(c.waitFor([](const LobbyMessage& m) { return m.command == 0; }, &seen));
    ASSERT_EQ(seen.size(), 1U);
    EXPECT_TRUE(isUser(seen.front(), 0, 0, "c"));
    // The lists come with the answer, so they are all there before a later marker.
    const auto lists = upTo(c, mark(*a, "a"));
    seen.insert(seen.end(), lists.begin(), lists.end());
    for (const char* account : {"a", "b", "c"}) {
        EXPECT_EQ(std::ranges::count_if(
                      seen, [&](const LobbyMessage& m) { return isUser(m, 2, 0, account); }),
                  1)
            << account;
    }
    const auto roomUpdate =
        std::ranges::find_if(seen, [](const LobbyMessage& m) { return isRoom(m, 0, "101"); });
    ASSERT_NE(roomUpdate, seen.end());
    EXPECT_EQ(roomUpdate->sparam9.view(), "a");

    for (TestClient* other : {a.get(), b.get()}) {
        const auto news =
            other->waitFor([](const LobbyMessage& m) { return isUser(m, 2, 0, "c"); });
        ASSERT_TRUE(news);
        EXPECT_EQ(news->sparam6.view(), lobbyWord());
    }
}

TEST_F(Login, RecordsBeforeLogInAreDropped) {
    options.autoRegister = true;
    start();
    auto watcher = loggedIn(server->port(), "watcher");
    ASSERT_TRUE(watcher);
    TestClient early(server->port());
    ASSERT_TRUE(early.send(lobbyChat("early>>too soon")));
    ASSERT_TRUE(early.send(roomRecord(0, room("7", "early"))));
    ASSERT_TRUE(early.send(loginRecord("early", "pw")));
    ASSERT_TRUE(early.waitFor([](const LobbyMessage& m) { return isKind(m, 0, 0); }));
    const auto seen = upTo(*watcher, mark(early, "early"));
    EXPECT_EQ(count(seen, 4, 0), 0U);
    EXPECT_EQ(
        std::ranges::count_if(
            seen, [](const LobbyMessage& m) { return m.sparam1.view() == "early>>too soon"; }),
        0);
}

TEST_F(Login, SilentConnectionIsClosedAfterTheTimeout) {
    options.autoRegister = true;
    options.loginTimeout = std::chrono::milliseconds(200);
    start();
    auto member = loggedIn(server->port(), "member");
    ASSERT_TRUE(member);
    TestClient silent(server->port());
    ASSERT_TRUE(silent.connected());
    EXPECT_TRUE(silent.waitClosed());
    // A user who logged in in time is not affected.
    EXPECT_TRUE(sync(*member, "member"));
}

TEST_F(Login, FailuresFromOneAddressAreThrottled) {
    addAccount(options, "alice", "secret");
    options.loginFailures = 3;
    start();
    TestClient client(server->port());
    for (int i = 0; i < 3; ++i) {
        const auto answer = answerTo(client, "alice", "wrong");
        ASSERT_TRUE(answer);
        ASSERT_TRUE(isKind(*answer, 0, 1));
    }
    const auto refused = answerTo(client, "alice", "secret");
    ASSERT_TRUE(refused);
    EXPECT_TRUE(isKind(*refused, 0, 1));
}

TEST_F(Login, PasswordFieldThatIsNotHexIsRefused) {
    addAccount(options, "alice", "secret");
    start();
    TestClient client(server->port());
    LobbyMessage login = loginRecord("alice", "secret");
    login.sparam2.set("not hex at all");
    ASSERT_TRUE(client.send(login));
    const auto answer = client.receive();
    ASSERT_TRUE(answer);
    EXPECT_TRUE(isKind(*answer, 0, 1));
}

TEST_F(Login, ConnectionsBeyondTheLimitAreClosed) {
    options.autoRegister = true;
    options.maxClients = 2;
    start();
    auto first = loggedIn(server->port(), "first");
    auto second = loggedIn(server->port(), "second");
    ASSERT_TRUE(first && second);
    TestClient third(server->port());
    EXPECT_TRUE(third.waitClosed());
    first.reset();
    // A place is free again once someone has gone.
    std::unique_ptr<TestClient> fourth;
    for (int attempt = 0; attempt < 100 && !fourth; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        fourth = loggedIn(server->port(), "fourth");
    }
    EXPECT_TRUE(fourth);
}

}  // namespace
}  // namespace ardentis::server::testing
