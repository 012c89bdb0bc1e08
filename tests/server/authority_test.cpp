// The server decides who is who and who hears what, whatever a record claims.
#include <gtest/gtest.h>

#include <iterator>

#include "protocol/des.h"
#include "tests/server/server_fixture.h"
#include "text/code_page.h"

namespace ardentis::server::testing {
namespace {

using Authority = LobbyTest;
using Rooms = LobbyTest;

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

// The password field of an update or a log-in is never relayed, in the lobby or a room.
TEST_F(Authority, UserUpdateTakesTheNicknameButNeverAccountPasswordValuesOrPlace) {
    auto a = user("a");
    auto b = user("b");
    ASSERT_TRUE(a->send(userUpdate("a", "a", lobbyWord())));  // unchanged: not repeated
    ASSERT_TRUE(a->send(userUpdate("mallory", "new nick", "999", "hunter2")));
    auto seen = upTo(*b, {mark(*a, "a")});
    ASSERT_EQ(count(seen, 2, 0), 1U);
    const auto update = std::ranges::find_if(seen, [](auto& m) { return isKind(m, 2, 0); });
    EXPECT_EQ(update->sparam1.view(), "a");
    EXPECT_EQ(update->sparam2.view(), "");
    EXPECT_EQ(update->sparam3.view(), "new nick");
    EXPECT_EQ(update->sparam6.view(),
              lobbyWord());  // where the server has the user
    EXPECT_EQ(update->iparam1.get(), 0);
    EXPECT_EQ(update->iparam2.get(), 0);
    ASSERT_TRUE(a->send(roomRecord(0, "4", "a")));
    auto c = user("c");
    ASSERT_TRUE(b->send(record(4, kJoin, {"4", "b"})));
    const std::string last = mark(*b, "b");
    for (TestClient* client : {a.get(), b.get(), c.get()}) {
        std::ranges::copy(upTo(*client, {last}), std::back_inserter(seen));
    }
    const std::string cipher = protocol::des::EncryptHex("hunter2");
    for (const LobbyMessage& m : seen) {
        const auto bytes = m.toBytes();
        const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        EXPECT_EQ(all.find(cipher), std::string_view::npos);
        const bool user = m.command == 2 || isKind(m, 4, 2) || isKind(m, 4, 11);
        EXPECT_TRUE(!user || m.sparam2.view().empty());
    }
    a.reset();  // the nickname stays with the account
    TestClient again(port());
    ASSERT_TRUE(again.send(loginRecord("a", "pw")));
    const auto answer = again.receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->sparam3.view(), "new nick");
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

TEST_F(Rooms, JoinerAndMembersLearnEachOtherAndAFullRoomAnswersOnlyTheLateOne) {
    auto host = user("host");
    auto first = user("first");
    auto second = user("second");
    auto late = user("late");
    openRoom(*host, "host", "7", {{first.get(), "first"}}, 3);
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
    ASSERT_TRUE(late->send(record(4, kJoin, {"7", "late"})));
    std::vector<LobbyMessage> seen;
    const auto full = late->waitFor(roomIs(10, "7"), &seen);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->sparam9.view(), "host");
    EXPECT_EQ(count(seen, 4, 2) + count(seen, 4, 11), 0U);
    EXPECT_EQ(std::ranges::count_if(seen, third), 1);
    ASSERT_TRUE(late->send(record(4, kChat, {"late>>hi", "7", "late"})));  // in no room
    const auto hostSaw = upTo(*host, {mark(*late, "late")});
    EXPECT_EQ(count(hostSaw, 4, 2) + count(hostSaw, 4, 0) + count(hostSaw, 4, kChat), 0U);
}

// A member leaving, by record or by dropping, tells the others and frees its place; the host
// leaving, by record or by dropping, closes the room for everyone and frees its number.
TEST_F(Rooms, LeavingOrDroppingFreesThePlaceAndTheHostGoingClosesTheRoom) {
    auto host = user("host");
    auto stays = user("stays");
    auto leaves = user("leaves");
    auto outsider = user("outsider");
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
    auto seen = upTo(*host, {mark(*leaves, "leaves")});
    EXPECT_EQ(count(seen, 4, kChat), 0U);
    EXPECT_EQ(std::ranges::count_if(seen, roomIs(0, "4")), 1);
    stays->abort();
    seen.clear();
    ASSERT_TRUE(host->waitFor([](auto& m) { return isUser(m, 2, 1, "stays"); }, &seen));
    EXPECT_EQ(count(seen, 4, kLeave), 1U);
    EXPECT_EQ(std::ranges::find_if(seen, roomIs(0, "3"))->iparam2.get(), 1);
    ASSERT_TRUE(host->send(record(4, kLeave, {"3", "host"})));
    for (TestClient* client : {host.get(), outsider.get()}) {
        const auto closed = client->waitFor(roomIs(9, "3"));
        ASSERT_TRUE(closed);
        EXPECT_EQ(closed->sparam9.view(), "host");
    }
    leaves->abort();
    seen.clear();
    ASSERT_TRUE(outsider->waitFor([](auto& m) { return isUser(m, 2, 1, "leaves"); }, &seen));
    EXPECT_EQ(std::ranges::count_if(seen, roomIs(9, "4")), 1);
    ASSERT_TRUE(host->send(record(4, kChat, {"host>>gone?", "3", "host"})));
    ASSERT_TRUE(host->send(roomRecord(0, "3", "host")));  // the number is free
    seen = upTo(*outsider, {mark(*host, "host")});
    EXPECT_EQ(count(seen, 4, kChat), 0U);
    EXPECT_EQ(std::ranges::count_if(seen, roomIs(0, "3")), 1);
}

}  // namespace
}  // namespace ardentis::server::testing
