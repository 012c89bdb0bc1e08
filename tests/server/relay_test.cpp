#include <gtest/gtest.h>

#include "protocol/des.h"
#include "tests/server/lobby_test.h"

namespace ardentis::server::testing {
namespace {

using Relay = LobbyTest;

TEST_F(Relay, LobbyChatReachesEveryUserTheSenderIncluded) {
    auto a = user("a");
    auto b = user("b");
    auto c = user("c");
    ASSERT_TRUE(a->send(lobbyChat("a>>hello all")));
    for (TestClient* client : {a.get(), b.get(), c.get()}) {
        EXPECT_TRUE(client->waitFor([](const LobbyMessage& m) {
            return isKind(m, 1, 0) && m.sparam1.view() == "a>>hello all";
        }));
    }
}

TEST_F(Relay, LobbyChatInSomeoneElsesNameIsDropped) {
    auto a = user("a");
    auto b = user("b");
    ASSERT_TRUE(a->send(lobbyChat("b>>I am b")));
    ASSERT_TRUE(a->send(lobbyChat("ab>>close but not mine")));
    ASSERT_TRUE(a->send(lobbyChat("a> >no")));
    const auto seen = upTo(*b, mark(*a, "a"));
    EXPECT_EQ(count(seen, 1, 0), 1U);  // the marker only
}

TEST_F(Relay, UserUpdateTakesNicknameButNeverAccountPasswordOrValues) {
    auto a = user("a");
    auto b = user("b");
    ASSERT_TRUE(a->send(userUpdate("mallory", "new nick", lobbyWord(), "hunter2")));
    for (TestClient* client : {a.get(), b.get()}) {
        const auto update = client->waitFor([](const LobbyMessage& m) {
            return isKind(m, 2, 0) && m.sparam3.view() == "new nick";
        });
        ASSERT_TRUE(update);
        EXPECT_EQ(update->sparam1.view(), "a");
        EXPECT_EQ(update->sparam2.view(), "");
        EXPECT_EQ(update->iparam1.get(), 0);
        EXPECT_EQ(update->iparam2.get(), 0);
    }
    // The nickname stays with the account.
    a.reset();
    TestClient again(server->port());
    ASSERT_TRUE(again.send(loginRecord("a", "pw")));
    const auto answer = again.receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->sparam3.view(), "new nick");
}

TEST_F(Relay, UnchangedUserRecordIsNotRepeatedButAMoveIs) {
    auto a = user("a");
    auto b = user("b");
    ASSERT_TRUE(a->send(userUpdate("a", "a", lobbyWord())));
    ASSERT_TRUE(a->send(roomRecord(0, room("55", "a"))));
    ASSERT_TRUE(a->send(userUpdate("a", "a", "55")));
    const auto seen = upTo(*b, mark(*a, "a"));
    ASSERT_EQ(count(seen, 2, 0), 1U);
    const auto move =
        std::ranges::find_if(seen, [](const LobbyMessage& m) { return isKind(m, 2, 0); });
    EXPECT_EQ(move->sparam6.view(), "55");
}

TEST_F(Relay, LocationIsWhereTheServerHasTheUser) {
    auto a = user("a");
    auto b = user("b");
    ASSERT_TRUE(a->send(userUpdate("a", "a", "999")));  // in no room at all
    const auto seen = upTo(*b, mark(*a, "a"));
    for (const LobbyMessage& m : seen) {
        if (isKind(m, 2, 0)) {
            EXPECT_EQ(m.sparam6.view(), lobbyWord());
        }
    }
}

TEST_F(Relay, RoomRecordsStayInsideTheirRoomAcrossThreeRooms) {
    auto h1 = user("h1");
    auto m1 = user("m1");
    auto h2 = user("h2");
    auto m2 = user("m2");
    auto h3 = user("h3");
    auto m3 = user("m3");
    auto outsider = user("o");
    openRoom(*h1, "h1", "1", {{m1.get(), "m1"}});
    openRoom(*h2, "h2", "2", {{m2.get(), "m2"}});
    openRoom(*h3, "h3", "3", {{m3.get(), "m3"}});

    ASSERT_TRUE(m1->send(roomChat("m1>>hi room one", "1", "m1")));
    ASSERT_TRUE(m2->send(playerState("2", "m2", 0)));
    ASSERT_TRUE(h3->send(gameStart("3", "10.0.0.3", "h3")));
    ASSERT_TRUE(h1->send(roomRecord(15, room("1", "h1"))));
    const std::vector<std::string> marks = {mark(*m1, "m1"), mark(*m2, "m2"), mark(*h3, "h3"),
                                            mark(*h1, "h1")};

    struct Expect {
        TestClient* client;
        std::size_t chats, states, starts, options;
    };
    for (const Expect& e :
         {Expect{h1.get(), 1, 0, 0, 0}, Expect{m1.get(), 1, 0, 0, 1}, Expect{h2.get(), 0, 1, 0, 0},
          Expect{m2.get(), 0, 0, 0, 0}, Expect{h3.get(), 0, 0, 0, 0}, Expect{m3.get(), 0, 0, 1, 0},
          Expect{outsider.get(), 0, 0, 0, 0}}) {
        const auto seen = upTo(*e.client, marks);
        EXPECT_EQ(count(seen, 4, 5), e.chats);
        EXPECT_EQ(count(seen, 4, 16), e.states);
        EXPECT_EQ(count(seen, 4, 20), e.starts);
        EXPECT_EQ(count(seen, 4, 15), e.options);
    }
}

TEST_F(Relay, RoomRecordsNamingAnotherRoomReachNobody) {
    auto h1 = user("h1");
    auto h2 = user("h2");
    auto m2 = user("m2");
    openRoom(*h1, "h1", "1", {});
    openRoom(*h2, "h2", "2", {{m2.get(), "m2"}});
    ASSERT_TRUE(h1->send(roomChat("h1>>let me in", "2", "h1")));
    ASSERT_TRUE(h1->send(playerState("2", "h1", 0)));
    ASSERT_TRUE(h1->send(gameStart("2", "10.0.0.1", "h1")));
    ASSERT_TRUE(h1->send(roomLeave("2", "m2")));
    ASSERT_TRUE(h1->send(roomRecord(0, room("2", "h1"))));
    const auto line = mark(*h1, "h1");
    for (TestClient* client : {h2.get(), m2.get()}) {
        const auto seen = upTo(*client, line);
        EXPECT_EQ(count(seen, 4, 5) + count(seen, 4, 16) + count(seen, 4, 20) + count(seen, 4, 12) +
                      count(seen, 4, 0),
                  0U);
    }
}

TEST_F(Relay, AccountFieldsComeFromTheSessionNotTheRecord) {
    auto host = user("host");
    auto member = user("member");
    openRoom(*host, "host", "9", {{member.get(), "member"}});
    ASSERT_TRUE(member->send(playerState("9", "host", -1)));
    ASSERT_TRUE(host->send(gameStart("9", "10.1.2.3", "member")));
    ASSERT_TRUE(member->send(roomChat("member>>hello", "9", "host")));

    const auto state = host->waitFor([](const LobbyMessage& m) { return isKind(m, 4, 16); });
    ASSERT_TRUE(state);
    EXPECT_EQ(state->sparam2.view(), "member");
    EXPECT_EQ(state->iparam1.get(), -1);
    const auto start = member->waitFor([](const LobbyMessage& m) { return isKind(m, 4, 20); });
    ASSERT_TRUE(start);
    EXPECT_EQ(start->sparam1.view(), "9");
    EXPECT_EQ(start->sparam2.view(), "10.1.2.3");
    EXPECT_EQ(start->sparam3.view(), "host");
    const auto chat = host->waitFor([](const LobbyMessage& m) { return isKind(m, 4, 5); });
    ASSERT_TRUE(chat);
    EXPECT_EQ(chat->sparam3.view(), "member");
}

TEST_F(Relay, RoomChatMustBeTheSendersOwnLineOrNotice) {
    auto host = user("host");
    auto member = user("member");
    openRoom(*host, "host", "9", {{member.get(), "member"}});
    const std::string ownNotice = notice() + "member is ready";
    ASSERT_TRUE(member->send(roomChat("host>>I am the host", "9", "member")));
    ASSERT_TRUE(member->send(roomChat(notice() + "host starts", "9", "member")));
    ASSERT_TRUE(member->send(roomChat("member>>mine", "9", "member")));
    ASSERT_TRUE(member->send(roomChat(ownNotice, "9", "member")));
    const auto seen = upTo(*host, mark(*member, "member"));
    std::vector<std::string> lines;
    for (const LobbyMessage& m : seen) {
        if (isKind(m, 4, 5)) {
            lines.emplace_back(m.sparam1.view());
        }
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"member>>mine", ownNotice}));
}

TEST_F(Relay, HostOnlyRecordsFromAMemberAreDropped) {
    auto host = user("host");
    auto member = user("member");
    auto other = user("other");
    openRoom(*host, "host", "9", {{member.get(), "member"}, {other.get(), "other"}});
    ASSERT_TRUE(member->send(roomRecord(15, room("9", "host"))));
    ASSERT_TRUE(member->send(gameStart("9", "10.0.0.2", "host")));
    auto changed = room("9", "host", 4);
    changed.comment = text::Gbk("hijacked");
    ASSERT_TRUE(member->send(roomRecord(0, changed)));
    for (TestClient* client : {host.get(), other.get()}) {
        const auto seen = upTo(*client, mark(*member, "member"));
        EXPECT_EQ(count(seen, 4, 15) + count(seen, 4, 20), 0U);
        for (const LobbyMessage& m : seen) {
            if (isKind(m, 4, 0)) {
                EXPECT_NE(m.sparam2.view(), "hijacked");
            }
        }
    }
    // From the host they go to the others but not back to the host.
    ASSERT_TRUE(host->send(roomRecord(15, room("9", "mallory"))));
    const auto relayed = other->waitFor([](const LobbyMessage& m) { return isKind(m, 4, 15); });
    ASSERT_TRUE(relayed);
    EXPECT_EQ(relayed->sparam9.view(), "host");
    EXPECT_EQ(count(upTo(*host, mark(*other, "other")), 4, 15), 0U);
}

TEST_F(Relay, PasswordIsNeverRelayed) {
    auto a = user("a");
    auto b = user("b");
    const std::string cipher = protocol::des::EncryptHex("secret");
    LobbyMessage update = userUpdate("a", "nick", lobbyWord(), "secret");
    ASSERT_EQ(update.sparam2.view(), cipher);
    ASSERT_TRUE(a->send(update));
    ASSERT_TRUE(a->send(roomRecord(0, room("4", "a"))));
    auto c = user("c");
    ASSERT_TRUE(b->send(roomJoin("4", "b")));
    for (TestClient* client : {a.get(), b.get(), c.get()}) {
        const auto seen = upTo(*client, mark(*b, "b"));
        for (const LobbyMessage& m : seen) {
            const auto bytes = m.toBytes();
            const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            EXPECT_EQ(all.find(cipher), std::string_view::npos);
            if (m.command == 0 || m.command == 2 || isKind(m, 4, 2) || isKind(m, 4, 11)) {
                EXPECT_EQ(m.sparam2.view(), "");
            }
        }
    }
}

}  // namespace
}  // namespace ardentis::server::testing
