#include <gtest/gtest.h>

#include <optional>

#include "headless_fixture.h"

namespace ardentis::forms::testing {
namespace {

using protocol::LobbyMessage;
using protocol::RoomRecord;
using text::Gbk;
using text::zh;

namespace sub = protocol::subcommand;

// A user's record arrives twice: first from `from`, then from `to`. Rooms R1 (hosted by
// bob) and R2 (hosted by carol) are listed; R9 is no room the client knows.
struct MoveCase {
    const char* name;
    const char* account;
    Gbk from;
    Gbk to;
    std::optional<Gbk> line;  // the lobby chat line the move adds, if any
};

void PrintTo(const MoveCase& move, std::ostream* os) {
    *os << move.name;
}

Gbk announce(const char* account, const Gbk& rest) {
    return zh<"游戏大厅>>">() + Gbk(account) + rest;
}

class MoveLines : public HeadlessFixture, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveLines, SecondRecordOfAUserAnnouncesHisMoveAtMostOnce) {
    const MoveCase& move = GetParam();
    logIn();
    receive(roomRecord(openRoom(Gbk("bob"), Gbk("R1"))));
    receive(roomRecord(openRoom(Gbk("carol"), Gbk("R2"))));
    const MemoryMemo& chat = headless_.main.MemRecev;

    const int beforeFirst = chat.lineCount();
    receive(userRecord(Gbk(move.account), move.from));
    EXPECT_EQ(chat.lineCount(), beforeFirst) << "the first record of a user adds no line";

    receive(userRecord(Gbk(move.account), move.to));
    if (move.line) {
        ASSERT_EQ(chat.lineCount(), beforeFirst + 1);
        EXPECT_EQ(lastLine(chat), *move.line);
    } else {
        EXPECT_EQ(chat.lineCount(), beforeFirst);
    }
    const auto row = headless_.main.lvlobby.findCaption(Gbk(move.account));
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(headless_.main.lvlobby.subItem(*row, 2), move.to);
    EXPECT_EQ(client_.connection()->lobby.usercount, 2);
}

const Gbk kLobby = zh<"大厅">();

INSTANTIATE_TEST_SUITE_P(
    FourLinesAndNone, MoveLines,
    ::testing::Values(
        MoveCase{"HostFromLobbyIntoHisRoom", "bob", kLobby, Gbk("R1"),
                 announce("bob", zh<"建立了的房间。">())},
        MoveCase{"HostFromHisRoomToLobby", "bob", Gbk("R1"), kLobby,
                 announce("bob", zh<"返回游戏大厅。">())},
        MoveCase{"JoinerFromRoomToLobby", "dave", Gbk("R1"), kLobby,
                 announce("dave", zh<"返回游戏大厅。">())},
        MoveCase{"JoinerFromRoomToUnknownRoom", "dave", Gbk("R1"), Gbk("R9"),
                 announce("dave", zh<"返回游戏大厅。">())},
        MoveCase{"FromLobbyIntoAnothersRoom", "dave", kLobby, Gbk("R1"),
                 announce("dave", zh<"进入">() + Gbk("bob") + zh<"的房间。">())},
        MoveCase{"RoomToRoom", "dave", Gbk("R1"), Gbk("R2"), std::nullopt},
        MoveCase{"HostFromAnothersRoomIntoHisOwn", "bob", Gbk("R2"), Gbk("R1"), std::nullopt},
        MoveCase{"LobbyToLobby", "dave", kLobby, kLobby, std::nullopt},
        MoveCase{"FromLobbyIntoUnknownRoom", "dave", kLobby, Gbk("R9"), std::nullopt},
        MoveCase{"HostFromHisRoomToUnknownRoom", "bob", Gbk("R1"), Gbk("R9"), std::nullopt},
        MoveCase{"UnknownRoomToRoom", "dave", Gbk("R9"), Gbk("R2"), std::nullopt}),
    [](const ::testing::TestParamInfo<MoveCase>& move) { return move.param.name; });

class LobbyUsers : public HeadlessFixture {};

TEST_F(LobbyUsers, GoneForAnUnlistedAccountAddsNoLine) {
    logIn();
    const int before = headless_.main.MemRecev.lineCount();
    receive(userRecord(Gbk("nobody"), kLobby, 1));
    EXPECT_EQ(headless_.main.MemRecev.lineCount(), before);
    EXPECT_EQ(headless_.main.lvlobby.rowCount(), 1);
}

TEST_F(LobbyUsers, OwnRecordReplacesTheCurrentUserAndIsListedLikeAnyOther) {
    logIn();
    protocol::UserRecord renamed;
    renamed.account = Gbk("alice");
    renamed.nickname = Gbk("Queen");
    renamed.location = kLobby;
    renamed.uvalue1 = 7;
    LobbyMessage record{};
    protocol::EncodeUser(renamed, record);
    record.setKind(protocol::command::kUser, sub::kUserUpdate);
    receive(record);
    EXPECT_EQ(client_.currentUser.nickname, Gbk("Queen"));
    EXPECT_EQ(client_.currentUser.uvalue1, 7);
    ASSERT_EQ(headless_.main.lvlobby.rowCount(), 1);
    EXPECT_EQ(headless_.main.lvlobby.subItem(0, 1), Gbk("Queen"));
}

class RoomList : public HeadlessFixture {};

TEST_F(RoomList, RowShowsStateCountPasswordMarkAndNetworkName) {
    logIn();
    RoomRecord room = openRoom(Gbk("bob"), Gbk("R1"));
    room.players = 3;
    room.maxplayers = 8;
    room.status = Gbk("1");
    room.password = Gbk("pw");
    room.nettype = 1;
    receive(roomRecord(room));
    const MemoryListView& rooms = headless_.main.lvrooms;
    ASSERT_EQ(rooms.rowCount(), 1);
    EXPECT_EQ(rooms.caption(0), Gbk("R1"));
    EXPECT_EQ(rooms.subItem(0, 1), zh<"战斗中">());
    EXPECT_EQ(rooms.subItem(0, 5), Gbk("3/8"));
    EXPECT_EQ(rooms.subItem(0, 6), Gbk("******"));
    EXPECT_EQ(rooms.subItem(0, 7), Gbk("bob"));
    EXPECT_EQ(rooms.subItem(0, 8), Gbk("HAMACHI"));

    room.status = Gbk("0");
    receive(roomRecord(room));
    ASSERT_EQ(rooms.rowCount(), 1);
    EXPECT_EQ(rooms.subItem(0, 1), zh<"讨论中">());
}

class RoomUpdateInRoom : public HeadlessFixture {};

TEST_F(RoomUpdateInRoom, UpdateOfAnotherRoomLeavesTheOwnRoomAndItsStartButtonAlone) {
    logIn();
    (void)hostRoom({Gbk("bob")});
    ASSERT_TRUE(headless_.battleroom.BitBtn2.enabled());
    RoomRecord other = openRoom(Gbk("carol"), Gbk("R-carol"));
    receive(roomRecord(other));
    other.comment = Gbk("changed");
    receive(roomRecord(other));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(headless_.battleroom.BitBtn2.enabled());
    EXPECT_EQ(headless_.main.lvrooms.subItem(1, 2), Gbk("changed"));
}

TEST_F(RoomUpdateInRoom, UpdateOfTheOwnRoomSendsTheSameAndRefreshesTheRoom) {
    logIn();
    RoomRecord own = joinRoom(Gbk("bob"));
    own.comment = Gbk("new words");
    receive(roomRecord(own));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 16}, {2, 0}}));
    EXPECT_EQ(client_.connection()->lobby.myroom->info.comment, Gbk("new words"));
    const auto row = headless_.main.lvrooms.findCaption(own.roomno);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(headless_.main.lvrooms.subItem(*row, 2), Gbk("new words"));
}

TEST_F(RoomUpdateInRoom, HostIsMarkedReadyByAnUpdateOfHisRoom) {
    logIn();
    const RoomRecord own = hostRoom({Gbk("bob")});
    receive(roomRecord(own));
    const auto sent = sentRecords();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(kinds(sent).back(), (Kind{2, 0}));
    for (std::size_t i = 0; i + 1 < sent.size(); ++i) {
        EXPECT_EQ(kinds({sent[i]}), (Kinds{{4, 16}}));
        EXPECT_EQ(sent[i].iparam1.get(), 0);
    }
    EXPECT_TRUE(headless_.battleroom.CheckBox1.checked());
    EXPECT_FALSE(headless_.battleroom.CheckBox1.visible());
    EXPECT_EQ(readyMark(Gbk("alice")), zh<"就绪">());
}

TEST_F(RoomUpdateInRoom, OutsideARoomAnUpdateSendsNothing) {
    logIn();
    RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
    receive(roomRecord(room));
    room.players = 2;
    receive(roomRecord(room));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_EQ(headless_.main.lvrooms.subItem(0, 5), Gbk("2/10"));
}

class RoomEntry : public HeadlessFixture {};

TEST_F(RoomEntry, MemberOfAnUnknownRoomChangesNothing) {
    logIn();
    receive(memberRecord(Gbk("R-none"), Gbk("bob")));
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
    EXPECT_EQ(headless_.battleroom.lvRoom.rowCount(), 0);
    EXPECT_TRUE(sentRecords().empty());
}

TEST_F(RoomEntry, JoinerSeesTheHostReadyAndTheOthersWaitingAndAnnouncesHisLocation) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"), {Gbk("carol")});
    EXPECT_EQ(readyMark(Gbk("bob")), zh<"就绪">());
    EXPECT_EQ(readyMark(Gbk("carol")), zh<"等待">());
    EXPECT_EQ(readyMark(Gbk("alice")), zh<"等待">());
    EXPECT_EQ(lastLine(headless_.battleroom.MemRecev),
              zh<"作战指挥室>>">() + Gbk("alice") + zh<"进入作战指挥室。">());
    EXPECT_EQ(client_.currentUser.location, room.roomno.gbk());
    EXPECT_EQ(headless_.battleroom.prompt.caption(),
              zh<"用户:">() + Gbk("alice") + zh<" 位置:">() + room.roomno.gbk());
    EXPECT_FALSE(headless_.battleroom.BitBtn2.visible());
    EXPECT_TRUE(headless_.battleroom.CheckBox1.visible());
    EXPECT_FALSE(headless_.battleroom.RGcommander.enabled());
    EXPECT_TRUE(headless_.battleroom.MapList.enabled());
}

class RoomClosed : public HeadlessFixture {};

TEST_F(RoomClosed, OwnRoomSendsLeaveThenLobbyLocationAndEmptiesAndHidesTheBattleRoom) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    headless_.battleroom.MemSend.type(Gbk("half a line"));
    ASSERT_TRUE(headless_.battleroom.window.visible());
    ASSERT_GT(headless_.battleroom.lvRoom.rowCount(), 0);
    ASSERT_GT(headless_.battleroom.MemRecev.lineCount(), 0);

    receive(roomRecord(room, sub::kRoomClosed));
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 12}, {2, 0}}));
    EXPECT_EQ(sent[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam2.text(), Gbk("alice"));
    EXPECT_EQ(protocol::DecodeUser(sent[1]).location, kLobby);

    EXPECT_FALSE(headless_.battleroom.window.visible());
    EXPECT_EQ(headless_.battleroom.lvRoom.rowCount(), 0);
    EXPECT_EQ(headless_.battleroom.MemRecev.lineCount(), 0);
    EXPECT_EQ(headless_.battleroom.MemSend.lineCount(), 0);
    EXPECT_FALSE(headless_.main.lvrooms.findCaption(room.roomno).has_value());
    EXPECT_TRUE(headless_.main.BitBtn2.enabled());
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
    const Gbk status = zh<"用户:">() + Gbk("alice") + zh<" 位置:">() + kLobby;
    EXPECT_EQ(headless_.main.prompt.caption(), status);
    EXPECT_EQ(headless_.battleroom.prompt.caption(), status);
}

TEST_F(RoomClosed, AnotherRoomOnlyLosesItsRow) {
    logIn();
    const RoomRecord own = joinRoom(Gbk("bob"));
    const RoomRecord other = openRoom(Gbk("carol"), Gbk("R-carol"));
    receive(roomRecord(other));
    (void)sentRecords();

    receive(roomRecord(other, sub::kRoomClosed));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(headless_.battleroom.window.visible());
    EXPECT_FALSE(headless_.main.lvrooms.findCaption(other.roomno).has_value());
    EXPECT_TRUE(headless_.main.lvrooms.findCaption(own.roomno).has_value());
    EXPECT_EQ(client_.connection()->lobby.roomcount, 1);
}

}  // namespace
}  // namespace ardentis::forms::testing
