// The server decides who is who and who hears what, whatever a record claims.
#include <gtest/gtest.h>

#include "protocol/des.h"
#include "tests/server/server_fixture.h"
#include "text/code_page.h"

namespace ardentis::server::testing {
namespace {

using Authority = LobbyTest;

std::vector<std::string> lines(const std::vector<LobbyMessage>& seen, std::uint8_t command,
                               std::int8_t sub) {
    std::vector<std::string> out;
    for (const LobbyMessage& m : seen) {
        if (isKind(m, command, sub) && !m.sparam1.view().contains(">>mark")) {
            out.emplace_back(m.sparam1.view());
        }
    }
    return out;
}

TEST_F(Authority, ChatReachesEveryoneOnlyInTheSendersOwnName) {
    auto a = user("a");
    auto b = user("b");
    auto host = user("host");
    openRoom(*host, "host", "9", {{a.get(), "a"}});
    const std::string notice = text::gbk("作战指挥室>>").bytes();
    for (const char* line : {"b>>I am b", "ab>>close but not mine", "a> >no", "a>>mine"}) {
        ASSERT_TRUE(a->send(record(1, 0, {line})));
    }
    for (const std::string& line : std::vector<std::string>{
             "host>>I am the host", notice + "host starts", "a>>mine", notice + "a is ready"}) {
        ASSERT_TRUE(a->send(record(4, kChat, {line, "9", "host"})));
    }
    const std::string last = mark(*a, "a");
    for (TestClient* client : {a.get(), b.get()}) {
        EXPECT_EQ(lines(upTo(*client, {last}), 1, 0), std::vector<std::string>{"a>>mine"});
    }
    const auto seen = upTo(*host, {last});
    EXPECT_EQ(lines(seen, 4, kChat), (std::vector<std::string>{"a>>mine", notice + "a is ready"}));
    EXPECT_EQ(
        std::ranges::find_if(seen, [](auto& m) { return isKind(m, 4, kChat); })->sparam3.view(),
        "a");
}

TEST_F(Authority, UserUpdateTakesTheNicknameButNeverAccountPasswordValuesOrPlace) {
    auto a = user("a");
    auto b = user("b");
    ASSERT_TRUE(a->send(userUpdate("a", "a", lobbyWord())));  // unchanged: not repeated
    ASSERT_TRUE(a->send(userUpdate("mallory", "new nick", "999", "hunter2")));
    const auto seen = upTo(*b, {mark(*a, "a")});
    ASSERT_EQ(count(seen, 2, 0), 1U);
    const auto update = std::ranges::find_if(seen, [](auto& m) { return isKind(m, 2, 0); });
    EXPECT_EQ(update->sparam1.view(), "a");
    EXPECT_EQ(update->sparam2.view(), "");
    EXPECT_EQ(update->sparam3.view(), "new nick");
    EXPECT_EQ(update->sparam6.view(), lobbyWord());  // where the server has the user
    EXPECT_EQ(update->iparam1.get(), 0);
    EXPECT_EQ(update->iparam2.get(), 0);
    a.reset();  // the nickname stays with the account
    auto again = std::make_unique<TestClient>(port());
    ASSERT_TRUE(again->send(loginRecord("a", "pw")));
    const auto answer = again->receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->sparam3.view(), "new nick");
}

TEST_F(Authority, PasswordIsNeverRelayed) {
    auto a = user("a");
    auto b = user("b");
    const std::string cipher = protocol::des::EncryptHex("secret");
    ASSERT_TRUE(a->send(userUpdate("a", "nick", lobbyWord(), "secret")));
    ASSERT_TRUE(a->send(roomRecord(0, "4", "a")));
    auto c = user("c");
    ASSERT_TRUE(b->send(record(4, kJoin, {"4", "b"})));
    const std::string last = mark(*b, "b");
    for (TestClient* client : {a.get(), b.get(), c.get()}) {
        for (const LobbyMessage& m : upTo(*client, {last})) {
            const auto bytes = m.toBytes();
            const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            EXPECT_EQ(all.find(cipher), std::string_view::npos);
            const bool user = m.command == 2 || isKind(m, 4, 2) || isKind(m, 4, 11);
            EXPECT_TRUE(!user || m.sparam2.view().empty());
        }
    }
}

TEST_F(Authority, RoomRecordsReachOnlyTheirRoomWithTheSenderAsAccount) {
    auto h1 = user("h1");
    auto m1 = user("m1");
    auto h2 = user("h2");
    auto m2 = user("m2");
    auto outsider = user("o");
    openRoom(*h1, "h1", "1", {{m1.get(), "m1"}});
    openRoom(*h2, "h2", "2", {{m2.get(), "m2"}});
    for (const auto& [client, name] : {std::pair{h1.get(), "h1"},
                                       {m1.get(), "m1"},
                                       {h2.get(), "h2"},
                                       {m2.get(), "m2"},
                                       {outsider.get(), "o"}}) {
        ASSERT_TRUE(sync(*client, name));
    }
    ASSERT_TRUE(m1->send(record(4, kChat, {"m1>>hi room one", "1", "h1"})));
    ASSERT_TRUE(m1->send(record(4, kState, {"1", "h1"}, -1)));
    ASSERT_TRUE(h1->send(record(4, kStart, {"1", "10.1.2.3", "m1"})));
    ASSERT_TRUE(h1->send(roomRecord(kOptions, "1", "mallory")));
    // Naming a room one is not in, or the host's records from a member, reach nobody.
    for (const LobbyMessage& m :
         {record(4, kChat, {"h1>>let me in", "2", "h1"}), record(4, kState, {"2", "h1"}),
          record(4, kStart, {"2", "10.0.0.1", "h1"}), record(4, kLeave, {"2", "m2"}),
          roomRecord(0, "2", "h1")}) {
        ASSERT_TRUE(h1->send(m));
    }
    for (const LobbyMessage& m :
         {roomRecord(kOptions, "2", "h2"), record(4, kStart, {"2", "10.0.0.2", "h2"}),
          roomRecord(0, "2", "h2", 4)}) {
        ASSERT_TRUE(m2->send(m));
    }
    const std::vector<std::string> marks = {mark(*m1, "m1"), mark(*h1, "h1"), mark(*m2, "m2")};
    struct Expect {
        TestClient* client;
        std::size_t chats, states, starts, options;
    };
    for (const Expect& e :
         {Expect{h1.get(), 1, 1, 0, 0}, Expect{m1.get(), 1, 0, 1, 1}, Expect{h2.get(), 0, 0, 0, 0},
          Expect{m2.get(), 0, 0, 0, 0}, Expect{outsider.get(), 0, 0, 0, 0}}) {
        const auto seen = upTo(*e.client, marks);
        EXPECT_EQ(count(seen, 4, kChat), e.chats);
        EXPECT_EQ(count(seen, 4, kState), e.states);
        EXPECT_EQ(count(seen, 4, kStart), e.starts);
        EXPECT_EQ(count(seen, 4, kOptions), e.options);
        EXPECT_EQ(count(seen, 4, kLeave) + count(seen, 4, 0), 0U);
        for (const LobbyMessage& m : seen) {
            EXPECT_TRUE(!isKind(m, 4, kChat) || m.sparam3.view() == "m1");
            EXPECT_TRUE(!isKind(m, 4, kState) ||
                        (m.sparam2.view() == "m1" && m.iparam1.get() == -1));
            EXPECT_TRUE(!isKind(m, 4, kStart) ||
                        (m.sparam2.view() == "10.1.2.3" && m.sparam3.view() == "h1"));
            EXPECT_TRUE(!isKind(m, 4, kOptions) || m.sparam9.view() == "h1");
        }
    }
}

}  // namespace
}  // namespace ardentis::server::testing
