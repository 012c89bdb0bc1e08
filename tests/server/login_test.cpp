#include <gtest/gtest.h>

#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {
namespace {

using Login = LobbyTest;

std::optional<LobbyMessage> answerTo(TestClient& client, const LobbyMessage& login) {
    EXPECT_TRUE(client.send(login));
    return client.waitFor([](const LobbyMessage& m) { return m.command == 0; });
}

int answerKind(TestClient& client, std::string_view account, std::string_view password) {
    const auto answer = answerTo(client, loginRecord(account, password));
    return answer ? answer->signedSubcommand() : -99;
}

TEST_F(Login, BadAttemptsGetLoginBadThenTheGoodOneGetsItsRecordWithoutPassword) {
    options.autoRegister = false;
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
}

TEST_F(Login, AccountOnLineGetsLoginDupAndTheFirstStaysOn) {
    auto first = loggedIn(port(), "alice");
    ASSERT_TRUE(first);
    TestClient second(port());
    EXPECT_EQ(answerKind(second, "alice", "pw"), -1);
    EXPECT_TRUE(sync(*first, "alice"));
}

TEST_F(Login, AutoRegistrationKeepsTheFirstPassword) {
    ASSERT_TRUE(loggedIn(port(), "newbie", "first"));
    TestClient again(port());
    EXPECT_EQ(answerKind(again, "newbie", "second"), 1);
    EXPECT_EQ(answerKind(again, "newbie", "first"), 0);
}

TEST_F(Login, FailuresFromOneAddressAreThrottled) {
    options.loginFailures = 3;
    addAccount(options, "alice", "secret");
    TestClient client(port());
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(answerKind(client, "alice", "wrong"), 1);
    }
    EXPECT_EQ(answerKind(client, "alice", "secret"), 1);
}

TEST_F(Login, SilentConnectionIsClosedAfterTheTimeout) {
    options.loginTimeout = 200ms;
    auto member = loggedIn(port(), "member");
    TestClient silent(port());
    EXPECT_TRUE(silent.waitClosed());
    EXPECT_TRUE(member && sync(*member, "member"));  // who logged in in time stays
}

TEST_F(Login, NewcomerGetsEveryUserAndRoomAndOthersGetTheNewcomer) {
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
}

}  // namespace
}  // namespace ardentis::server::testing
