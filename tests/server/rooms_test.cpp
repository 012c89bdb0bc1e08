#include <gtest/gtest.h>

#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {
namespace {

using Rooms = LobbyTest;

auto roomIs(std::int8_t sub, std::string_view roomno) {
    return [=](const LobbyMessage& m) { return isRoom(m, sub, roomno); };
}

TEST_F(Rooms, OnlyTheHostChangesItsRoomAndAUserHostsOrSitsInOneAtMost) {
    auto host = user("host");
    auto other = user("other");
    auto forged = roomRecord(0, "12", "mallory");
    forged.iparam2.set(6);
    ASSERT_TRUE(host->send(forged));
    const auto opened = other->waitFor(roomIs(0, "12"));
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->sparam9.view(), "host");
    EXPECT_EQ(opened->iparam2.get(), 1);
    EXPECT_EQ(opened->iparam1.get(), 8);
    ASSERT_TRUE(other->send(record(4, kJoin, {"12"})));
    ASSERT_TRUE(other->waitFor([](auto& m) { return isRoom(m, 0, "12") && m.iparam2.get() == 2; }));
    forged.sparam1.set("Lava Run");
    ASSERT_TRUE(other->send(forged));                       // not the host
    ASSERT_TRUE(other->send(roomRecord(0, "3", "other")));  // sits in 12
    ASSERT_TRUE(host->send(roomRecord(0, "2", "host")));    // hosts 12
    const auto seen = upTo(*other, {mark(*host, "host"), mark(*other, "other")});
    EXPECT_EQ(count(seen, 4, 0), 0U);
    ASSERT_TRUE(host->send(forged));
    const auto changed = other->waitFor(
        [](const LobbyMessage& m) { return isRoom(m, 0, "12") && m.sparam1.view() == "Lava Run"; });
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->sparam9.view(), "host");
    EXPECT_EQ(changed->iparam2.get(), 2);  // players stay the server's count
}

TEST_F(Rooms, JoinerLearnsEveryMemberAndMembersLearnTheJoiner) {
    auto host = user("host");
    auto first = user("first");
    auto second = user("second");
    auto outsider = user("outsider");
    openRoom(*host, "host", "7", {{first.get(), "first"}});
    ASSERT_TRUE(second->send(record(4, kJoin, {"7", "outsider"})));
    const auto third = [](const LobbyMessage& m) {
        return isRoom(m, 0, "7") && m.iparam2.get() == 3;
    };
    std::vector<LobbyMessage> joined;
    ASSERT_TRUE(second->waitFor(third, &joined));
    std::vector<std::pair<int, std::string>> members;
    for (const LobbyMessage& m : joined) {
        if (isKind(m, 4, 2) || isKind(m, 4, 11)) {
            EXPECT_EQ(m.sparam9.view(), "7");
            members.emplace_back(m.subcommand, m.sparam1.view());
        }
    }
    EXPECT_EQ(members, (std::vector<std::pair<int, std::string>>{
                           {11, "host"}, {11, "first"}, {2, "second"}}));
    for (TestClient* member : {host.get(), first.get()}) {
        std::vector<LobbyMessage> seen;
        ASSERT_TRUE(member->waitFor(third, &seen));
        ASSERT_EQ(count(seen, 4, 2) + count(seen, 4, 11), 1U);
        const auto enter = std::ranges::find_if(seen, [](auto& m) { return isKind(m, 4, 2); });
        EXPECT_EQ(enter->sparam1.view(), "second");
        EXPECT_EQ(enter->sparam6.view(), "7");
    }
    const auto seen = upTo(*outsider, {mark(*second, "second")});
    EXPECT_EQ(count(seen, 4, 2) + count(seen, 4, 11), 0U);
    EXPECT_EQ(std::ranges::count_if(seen, third), 1);
}

TEST_F(Rooms, FullRoomSendsTheRoomBackToTheJoinerOnly) {
    auto host = user("host");
    auto member = user("member");
    auto late = user("late");
    ASSERT_TRUE(host->send(roomRecord(0, "5", "host", 2)));
    ASSERT_TRUE(host->waitFor(roomIs(0, "5")));
    ASSERT_TRUE(member->send(record(4, kJoin, {"5", "member"})));
    ASSERT_TRUE(member->waitFor([](const LobbyMessage& m) { return isKind(m, 4, 2); }));
    ASSERT_TRUE(sync(*host, "host"));
    ASSERT_TRUE(late->send(record(4, kJoin, {"5", "late"})));
    std::vector<LobbyMessage> seen;
    const auto full = late->waitFor(roomIs(10, "5"), &seen);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->sparam9.view(), "host");
    EXPECT_EQ(count(seen, 4, 2) + count(seen, 4, 11), 0U);
    ASSERT_TRUE(late->send(record(4, kChat, {"late>>hi", "5", "late"})));  // in no room
    const auto hostSaw = upTo(*host, {mark(*late, "late")});
    EXPECT_EQ(count(hostSaw, 4, 2) + count(hostSaw, 4, 0) + count(hostSaw, 4, kChat), 0U);
}

TEST_F(Rooms, MemberLeavingTellsTheOthersAndFreesItsPlace) {
    auto host = user("host");
    auto stays = user("stays");
    auto leaves = user("leaves");
    openRoom(*host, "host", "3", {{stays.get(), "stays"}, {leaves.get(), "leaves"}});
    ASSERT_TRUE(leaves->send(record(4, kLeave, {"3", "stays"})));
    for (TestClient* client : {host.get(), stays.get()}) {
        std::vector<LobbyMessage> seen;
        ASSERT_TRUE(client->waitFor(roomIs(0, "3"), &seen));
        ASSERT_EQ(count(seen, 4, kLeave), 1U);
        const auto leave = std::ranges::find_if(seen, [](auto& m) { return isKind(m, 4, kLeave); });
        EXPECT_EQ(leave->sparam1.view(), "3");
        EXPECT_EQ(leave->sparam2.view(), "leaves");
        EXPECT_EQ(seen.back().iparam2.get(), 2);
    }
    // No longer a member: its room chat reaches nobody, and it may open a room.
    ASSERT_TRUE(leaves->send(record(4, kChat, {"leaves>>still here?", "3", "leaves"})));
    ASSERT_TRUE(leaves->send(roomRecord(0, "4", "leaves")));
    const auto seen = upTo(*host, {mark(*leaves, "leaves")});
    EXPECT_EQ(count(seen, 4, kChat), 0U);
    EXPECT_EQ(std::ranges::count_if(seen, roomIs(0, "4")), 1);
}

// The host leaving, by record or by dropping, closes the room for everyone; a member dropping
// leaves it, and everyone hears who is gone.
TEST_F(Rooms, HostLeavingOrDroppingClosesTheRoomAndADroppedMemberLeavesIt) {
    auto host = user("host");
    auto member = user("member");
    auto dropper = user("dropper");
    auto outsider = user("outsider");
    openRoom(*host, "host", "3", {{member.get(), "member"}});
    ASSERT_TRUE(host->send(record(4, kLeave, {"3", "host"})));
    for (TestClient* client : {host.get(), member.get(), outsider.get()}) {
        const auto closed = client->waitFor(roomIs(9, "3"));
        ASSERT_TRUE(closed);
        EXPECT_EQ(closed->sparam9.view(), "host");
    }
    openRoom(*member, "member", "3", {{dropper.get(), "dropper"}, {host.get(), "host"}});
    dropper->abort();
    std::vector<LobbyMessage> seen;
    ASSERT_TRUE(member->waitFor([](auto& m) { return isUser(m, 2, 1, "dropper"); }, &seen));
    EXPECT_EQ(count(seen, 4, kLeave), 1U);
    EXPECT_EQ(std::ranges::find_if(seen, roomIs(0, "3"))->iparam2.get(), 2);
    member->abort();
    seen.clear();
    ASSERT_TRUE(outsider->waitFor([](auto& m) { return isUser(m, 2, 1, "member"); }, &seen));
    EXPECT_EQ(std::ranges::count_if(seen, roomIs(9, "3")), 1);
    ASSERT_TRUE(host->send(record(4, kChat, {"host>>gone?", "3", "host"})));
    ASSERT_TRUE(host->send(roomRecord(0, "3", "host")));  // the number is free
    seen = upTo(*outsider, {mark(*host, "host")});
    EXPECT_EQ(count(seen, 4, kChat), 0U);
    EXPECT_EQ(std::ranges::count_if(seen, roomIs(0, "3")), 1);
}

}  // namespace
}  // namespace ardentis::server::testing
