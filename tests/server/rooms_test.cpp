#include <gtest/gtest.h>

#include "tests/server/lobby_test.h"

namespace ardentis::server::testing {
namespace {

using Rooms = LobbyTest;

bool isChatLine(const LobbyMessage& m, std::string_view line) {
    return isKind(m, 4, 5) && m.sparam1.view() == line;
}

TEST_F(Rooms, NewRoomGoesToEveryoneWithTheSenderAsHostAndOnePlayer) {
    auto host = user("host");
    auto other = user("other");
    auto forged = room("12", "mallory");
    forged.players = 6;
    ASSERT_TRUE(host->send(roomRecord(0, forged)));
    for (TestClient* client : {host.get(), other.get()}) {
        const auto update =
            client->waitFor([](const LobbyMessage& m) { return isRoom(m, 0, "12"); });
        ASSERT_TRUE(update);
        EXPECT_EQ(update->sparam9.view(), "host");
        EXPECT_EQ(update->iparam2.get(), 1);
        EXPECT_EQ(update->iparam1.get(), 8);
        EXPECT_EQ(update->sparam1.view(), "Coast To Coast");
    }
}

TEST_F(Rooms, OnlyTheHostChangesItsRoom) {
    auto host = user("host");
    auto other = user("other");
    openRoom(*host, "host", "12", {});
    auto changed = room("12", "host");
    changed.map = text::Gbk("Lava Run");
    ASSERT_TRUE(other->send(roomRecord(0, changed)));
    EXPECT_EQ(count(upTo(*host, mark(*other, "other")), 4, 0), 0U);
    changed.players = 5;
    ASSERT_TRUE(host->send(roomRecord(0, changed)));
    const auto update = other->waitFor(
        [](const LobbyMessage& m) { return isRoom(m, 0, "12") && m.sparam1.view() == "Lava Run"; });
    ASSERT_TRUE(update);
    EXPECT_EQ(update->sparam9.view(), "host");
    EXPECT_EQ(update->iparam2.get(), 1);  // players stay the server's count
}

TEST_F(Rooms, AUserHostsOrSitsInOneRoomAtMost) {
    auto host = user("host");
    auto member = user("member");
    auto watcher = user("watcher");
    openRoom(*host, "host", "1", {{member.get(), "member"}});
    ASSERT_TRUE(host->send(roomRecord(0, room("2", "host"))));
    ASSERT_TRUE(member->send(roomRecord(0, room("3", "member"))));
    ASSERT_TRUE(sync(*host, "host"));
    const auto seen = upTo(*watcher, mark(*member, "member"));
    EXPECT_EQ(
        std::ranges::count_if(
            seen, [](const LobbyMessage& m) { return isRoom(m, 0, "2") || isRoom(m, 0, "3"); }),
        0);
}

TEST_F(Rooms, JoinerLearnsEveryMemberAndMembersLearnTheJoiner) {
    auto host = user("host");
    auto first = user("first");
    auto second = user("second");
    auto outsider = user("outsider");
    openRoom(*host, "host", "7", {{first.get(), "first"}});
    ASSERT_TRUE(second->send(roomJoin("7", "outsider")));

    const auto third = [](const LobbyMessage& m) {
        return isRoom(m, 0, "7") && m.iparam2.get() == 3;
    };
    std::vector<LobbyMessage> joined;
    ASSERT_TRUE(second->waitFor(third, &joined));
    std::vector<std::pair<int, std::string>> members;
    for (const LobbyMessage& m : joined) {
        if (m.command == 4 && (m.subcommand == 2 || m.subcommand == 11)) {
            EXPECT_EQ(m.sparam9.view(), "7");
            members.emplace_back(m.subcommand, std::string(m.sparam1.view()));
        }
    }
    EXPECT_EQ(members, (std::vector<std::pair<int, std::string>>{
                           {11, "host"}, {11, "first"}, {2, "second"}}));
    EXPECT_EQ(joined.back().iparam2.get(), 3);

    for (TestClient* member : {host.get(), first.get()}) {
        std::vector<LobbyMessage> seen;
        ASSERT_TRUE(member->waitFor(third, &seen));
        ASSERT_EQ(count(seen, 4, 2) + count(seen, 4, 11), 1U);
        const auto enter =
            std::ranges::find_if(seen, [](const LobbyMessage& m) { return isKind(m, 4, 2); });
        EXPECT_EQ(enter->sparam1.view(), "second");
        EXPECT_EQ(enter->sparam6.view(), "7");
        EXPECT_EQ(enter->sparam2.view(), "");
    }
    const auto seen = upTo(*outsider, mark(*second, "second"));
    EXPECT_EQ(count(seen, 4, 2) + count(seen, 4, 11), 0U);
    EXPECT_EQ(std::ranges::count_if(seen, third), 1);
}

TEST_F(Rooms, FullRoomSendsTheRoomBackToTheJoinerOnly) {
    auto host = user("host");
    auto member = user("member");
    auto late = user("late");
    ASSERT_TRUE(host->send(roomRecord(0, room("5", "host", 2))));
    ASSERT_TRUE(host->waitFor([](const LobbyMessage& m) { return isRoom(m, 0, "5"); }));
    ASSERT_TRUE(member->send(roomJoin("5", "member")));
    ASSERT_TRUE(member->waitFor([](const LobbyMessage& m) { return isKind(m, 4, 2); }));
    ASSERT_TRUE(sync(*host, "host"));

    ASSERT_TRUE(late->send(roomJoin("5", "late")));
    std::vector<LobbyMessage> seen;
    const auto full = late->waitFor([](const LobbyMessage& m) { return isKind(m, 4, 10); }, &seen);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->sparam3.view(), "5");
    EXPECT_EQ(full->sparam9.view(), "host");
    EXPECT_EQ(count(seen, 4, 2) + count(seen, 4, 11), 0U);
    const auto hostSaw = upTo(*host, mark(*late, "late"));
    EXPECT_EQ(count(hostSaw, 4, 2) + count(hostSaw, 4, 0), 0U);
    // The refused joiner is in no room: a chat to the room reaches nobody.
    ASSERT_TRUE(late->send(roomChat("late>>hi", "5", "late")));
    EXPECT_EQ(count(upTo(*host, mark(*late, "late")), 4, 5), 0U);
}

TEST_F(Rooms, MemberLeavingTellsTheOthersAndFreesItsPlace) {
    auto host = user("host");
    auto stays = user("stays");
    auto leaves = user("leaves");
    openRoom(*host, "host", "3", {{stays.get(), "stays"}, {leaves.get(), "leaves"}});
    ASSERT_TRUE(leaves->send(roomLeave("3", "stays")));
    for (TestClient* client : {host.get(), stays.get()}) {
        std::vector<LobbyMessage> seen;
        ASSERT_TRUE(
            client->waitFor([](const LobbyMessage& m) { return isRoom(m, 0, "3"); }, &seen));
        ASSERT_EQ(count(seen, 4, 12), 1U);
        const auto leave =
            std::ranges::find_if(seen, [](const LobbyMessage& m) { return isKind(m, 4, 12); });
        EXPECT_EQ(leave->sparam1.view(), "3");
        EXPECT_EQ(leave->sparam2.view(), "leaves");
        EXPECT_EQ(seen.back().iparam2.get(), 2);
    }
    EXPECT_EQ(count(upTo(*leaves, mark(*host, "host")), 4, 12), 0U);
    // No longer a member: its room chat reaches nobody, and it may open a room.
    ASSERT_TRUE(leaves->send(roomChat("leaves>>still here?", "3", "leaves")));
    ASSERT_TRUE(leaves->send(roomRecord(0, room("4", "leaves"))));
    const auto seen = upTo(*host, mark(*leaves, "leaves"));
    EXPECT_EQ(count(seen, 4, 5), 0U);
    EXPECT_EQ(std::ranges::count_if(seen, [](const LobbyMessage& m) { return isRoom(m, 0, "4"); }),
              1);
}

TEST_F(Rooms, HostLeavingClosesTheRoomForEveryone) {
    auto host = user("host");
    auto member = user("member");
    auto outsider = user("outsider");
    openRoom(*host, "host", "3", {{member.get(), "member"}});
    ASSERT_TRUE(host->send(roomLeave("3", "host")));
    for (TestClient* client : {host.get(), member.get(), outsider.get()}) {
        const auto closed =
            client->waitFor([](const LobbyMessage& m) { return isRoom(m, 9, "3"); });
        ASSERT_TRUE(closed);
        EXPECT_EQ(closed->sparam9.view(), "host");
    }
    // The former member sits in no room now and may open one with the old number.
    ASSERT_TRUE(member->send(roomChat("member>>anyone?", "3", "member")));
    ASSERT_TRUE(member->send(roomRecord(0, room("3", "member"))));
    const auto update = outsider->waitFor([](const LobbyMessage& m) { return isRoom(m, 0, "3"); });
    ASSERT_TRUE(update);
    EXPECT_EQ(update->sparam9.view(), "member");
    EXPECT_EQ(count(upTo(*host, mark(*member, "member")), 4, 5), 0U);
}

TEST_F(Rooms, DroppedMemberLeavesItsRoomAndEveryoneHearsItIsGone) {
    auto host = user("host");
    auto member = user("member");
    auto outsider = user("outsider");
    openRoom(*host, "host", "3", {{member.get(), "member"}});
    member->abort();
    std::vector<LobbyMessage> seen;
    ASSERT_TRUE(
        host->waitFor([](const LobbyMessage& m) { return isUser(m, 2, 1, "member"); }, &seen));
    EXPECT_EQ(count(seen, 4, 12), 1U);
    const auto update =
        std::ranges::find_if(seen, [](const LobbyMessage& m) { return isRoom(m, 0, "3"); });
    ASSERT_NE(update, seen.end());
    EXPECT_EQ(update->iparam2.get(), 1);
    const auto gone =
        outsider->waitFor([](const LobbyMessage& m) { return isUser(m, 2, 1, "member"); });
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->sparam2.view(), "");
}

TEST_F(Rooms, DroppedHostClosesItsRoom) {
    auto host = user("host");
    auto member = user("member");
    openRoom(*host, "host", "3", {{member.get(), "member"}});
    host->abort();
    std::vector<LobbyMessage> seen;
    ASSERT_TRUE(
        member->waitFor([](const LobbyMessage& m) { return isUser(m, 2, 1, "host"); }, &seen));
    EXPECT_EQ(std::ranges::count_if(seen, [](const LobbyMessage& m) { return isRoom(m, 9, "3"); }),
              1);
    // The account may log in again, and the room number is free.
    auto back = user("host");
    ASSERT_TRUE(back);
    ASSERT_TRUE(back->send(roomRecord(0, room("3", "host"))));
    EXPECT_TRUE(member->waitFor([](const LobbyMessage& m) { return isRoom(m, 0, "3"); }));
    ASSERT_TRUE(member->send(roomChat("member>>gone?", "3", "member")));
    EXPECT_FALSE(
        std::ranges::any_of(upTo(*back, mark(*member, "member")),
                            [](const LobbyMessage& m) { return isChatLine(m, "member>>gone?"); }));
}

}  // namespace
}  // namespace ardentis::server::testing
