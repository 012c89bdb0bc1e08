// The lobby window on the headless client: the user and room lists, moves announced in
// the chat, the checks before a join, and room chat lines meant for other rooms.
#include <gtest/gtest.h>

#include <optional>

#include "headless_fixture.h"

namespace ardentis::forms::testing {
namespace {

using protocol::RoomRecord;
using text::Gbk;
using text::zh;

const Gbk kLobby = zh<"大厅">();

Gbk announce(const char* account, const Gbk& rest) {
    return zh<"游戏大厅>>">() + Gbk(account) + rest;
}

// A user's record arrives twice: first from `from`, then from `to`. R1 (bob's) and R2
// (carol's) are listed; R9 is no room the client knows.
struct MoveCase {
    const char* name;
    const char* account;
    Gbk from;
    Gbk to;
    std::optional<Gbk> line;
};

class MoveLines : public HeadlessFixture, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveLines, SecondRecordOfAUserAnnouncesHisMoveAtMostOnce) {
    const MoveCase& move = GetParam();
    logIn();
    receive(roomRecord(openRoom(Gbk("bob"), Gbk("R1"))));
    receive(roomRecord(openRoom(Gbk("carol"), Gbk("R2"))));
    const MemoryMemo& chat = headless_.main.MemRecev;
    const int before = chat.lineCount();
    receive(userRecord(Gbk(move.account), move.from));
    EXPECT_EQ(chat.lineCount(), before) << "the first record of a user adds no line";
    receive(userRecord(Gbk(move.account), move.to));
    EXPECT_EQ(chat.lineCount(), before + (move.line ? 1 : 0));
    if (move.line) {
        EXPECT_EQ(lastLine(chat), *move.line);
    }
    const auto row = headless_.main.lvlobby.findCaption(Gbk(move.account));
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(headless_.main.lvlobby.subItem(*row, 2), move.to);
}

const Gbk kBack = zh<"返回游戏大厅。">();
INSTANTIATE_TEST_SUITE_P(
    FourLinesAndNone, MoveLines,
    ::testing::Values(
        MoveCase{"HostIntoHisRoom", "bob", kLobby, Gbk("R1"),
                 announce("bob", zh<"建立了的房间。">())},
        MoveCase{"HostFromHisRoomToLobby", "bob", Gbk("R1"), kLobby, announce("bob", kBack)},
        MoveCase{"JoinerFromRoomToLobby", "dave", Gbk("R1"), kLobby, announce("dave", kBack)},
        MoveCase{"JoinerFromRoomToUnknownRoom", "dave", Gbk("R1"), Gbk("R9"),
                 announce("dave", kBack)},
        MoveCase{"IntoAnothersRoom", "dave", kLobby, Gbk("R1"),
                 announce("dave", zh<"进入">() + Gbk("bob") + zh<"的房间。">())},
        MoveCase{"RoomToRoom", "dave", Gbk("R1"), Gbk("R2"), std::nullopt},
        MoveCase{"HostFromAnothersRoomIntoHisOwn", "bob", Gbk("R2"), Gbk("R1"), std::nullopt},
        MoveCase{"LobbyToLobby", "dave", kLobby, kLobby, std::nullopt},
        MoveCase{"IntoUnknownRoom", "dave", kLobby, Gbk("R9"), std::nullopt},
        MoveCase{"HostFromHisRoomToUnknownRoom", "bob", Gbk("R1"), Gbk("R9"), std::nullopt},
        MoveCase{"UnknownRoomToRoom", "dave", Gbk("R9"), Gbk("R2"), std::nullopt}),
    [](const ::testing::TestParamInfo<MoveCase>& move) { return move.param.name; });

class LobbyLists : public HeadlessFixture {};

TEST_F(LobbyLists, UsersComeAndGoAndChatArrives) {
    logIn();
    receive(userRecord(Gbk("bob"), kLobby));
    ASSERT_EQ(headless_.main.lvlobby.rowCount(), 2);
    protocol::LobbyMessage chat{};
    chat.setKind(1, 7);
    chat.sparam1.set(Gbk("bob>>hi"));
    receive(chat);
    EXPECT_EQ(lastLine(headless_.main.MemRecev), Gbk("bob>>hi"));
    receive(userRecord(Gbk("bob"), kLobby, 1));
    EXPECT_EQ(headless_.main.lvlobby.rowCount(), 1);
    EXPECT_EQ(lastLine(headless_.main.MemRecev), announce("bob", zh<"离开大厅。">()));
    const int lines = headless_.main.MemRecev.lineCount();
    receive(userRecord(Gbk("nobody"), kLobby, 1));  // gone, but never listed
    EXPECT_EQ(headless_.main.MemRecev.lineCount(), lines);

    protocol::UserRecord renamed;
    renamed.account = Gbk("alice");
    renamed.nickname = Gbk("Queen");
    renamed.location = kLobby;
    protocol::LobbyMessage own{};
    protocol::EncodeUser(renamed, own);
    own.setKind(protocol::command::kUser, protocol::subcommand::kUserUpdate);
    receive(own);
    EXPECT_EQ(client_.currentUser.nickname, Gbk("Queen"));
    EXPECT_EQ(headless_.main.lvlobby.subItem(0, 1), Gbk("Queen"));
}

TEST_F(LobbyLists, RoomRowShowsStateCountPasswordMarkAndNetworkName) {
    logIn();
    RoomRecord room = openRoom(Gbk("bob"), Gbk("R1"));
    room.players = 3;
    room.maxplayers = 8;
    room.status = Gbk("1");
    room.password = Gbk("pw");
    room.nettype = 1;
    receive(roomRecord(room));
    const MemoryListView& rooms = headless_.main.lvrooms;
    EXPECT_EQ(
        (std::vector<Gbk>{rooms.subItem(0, 1), rooms.subItem(0, 5), rooms.subItem(0, 6),
                          rooms.subItem(0, 7), rooms.subItem(0, 8)}),
        (std::vector<Gbk>{zh<"战斗中">(), Gbk("3/8"), Gbk("******"), Gbk("bob"), Gbk("HAMACHI")}));
    room.status = Gbk("0");
    receive(roomRecord(room));
    ASSERT_EQ(rooms.rowCount(), 1);
    EXPECT_EQ(rooms.subItem(0, 1), zh<"讨论中">());
    receive(memberRecord(Gbk("R-none"), Gbk("bob")));  // a member of no known room
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
    EXPECT_TRUE(sentRecords().empty());
}

// A room that fails the join check `name` and every check after it, so that only the
// order of the checks decides which message is shown.
struct JoinCase {
    const char* name;
    bool address;
    std::int8_t nettype;
    const char* status;
    const char* modcode;
    Gbk message;
};

class JoinCheckOrder : public HeadlessFixture, public ::testing::WithParamInterface<JoinCase> {};

TEST_P(JoinCheckOrder, FirstFailingCheckSpeaksAndNothingIsSent) {
    const JoinCase& check = GetParam();
    logIn();
    if (check.address) {
        machine_.setVirtualLanAddress(10, 140, 3, 4);
    }
    machine_.inputpassword.answers.emplace_back(Gbk("wrong"));
    RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
    room.nettype = check.nettype;
    room.status = Gbk(check.status);
    room.modcode = Gbk(check.modcode);
    room.modname = Gbk("Homebrew");
    room.password = Gbk("secret");
    receive(roomRecord(room));
    doubleClickRoom(room.roomno);
    EXPECT_EQ(machine_.infoBox.shown, (std::vector<Gbk>{check.message}));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_FALSE(headless_.battleroom.window.visible());
}

INSTANTIATE_TEST_SUITE_P(
    InOrder, JoinCheckOrder,
    ::testing::Values(
        JoinCase{"NoVirtualLanAddress", false, 1, "1", "05", zh<"您还没有登录虚拟网络!">()},
        JoinCase{"OtherNetworkType", true, 1, "1", "05",
                 zh<"请确保您登录了虚拟网络软件">() + Gbk("HAMACHI")},
        JoinCase{"InBattle", true, 0, "1", "05", zh<"房间中已经开始战斗了，请战后再来!">()},
        JoinCase{"ModNotInstalled", true, 0, "0", "05",
                 zh<"你没有安装 ">() + Gbk("Absulate Annihilation 6.0") + zh<"，请到">() +
                     Gbk("http://ardentis.invalid/") + zh<"下载对应的mod。">()},
        JoinCase{"UnknownModNamedByTheRow", true, 0, "0", "ZZ",
                 zh<"你没有安装 ">() + Gbk("Homebrew") + zh<"，请到">() +
                     Gbk("http://ardentis.invalid/") + zh<"下载对应的mod。">()},
        JoinCase{"WrongPassword", true, 0, "0", "00", zh<"密码输入错误。">()}),
    [](const ::testing::TestParamInfo<JoinCase>& check) { return check.param.name; });

class JoinChecks : public HeadlessFixture {};

TEST_F(JoinChecks, PasswordIsAskedOnlyForALockedRoomAndACancelSendsNothing) {
    logIn();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
    room.password = Gbk("secret");
    receive(roomRecord(room));
    doubleClickNothing();
    EXPECT_TRUE(machine_.inputpassword.asked.empty());
    machine_.inputpassword.answers.emplace_back(std::nullopt);
    doubleClickRoom(room.roomno);
    ASSERT_EQ(machine_.inputpassword.asked.size(), 1U);
    EXPECT_EQ(machine_.inputpassword.asked[0].second, zh<"请输入房间密码">());
    EXPECT_TRUE(machine_.infoBox.shown.empty());
    EXPECT_TRUE(sentRecords().empty());

    machine_.inputpassword.answers.emplace_back(Gbk("secret"));
    doubleClickRoom(room.roomno);
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 10}}));
    EXPECT_EQ(sent[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam2.text(), Gbk("alice"));
    EXPECT_TRUE(headless_.battleroom.window.visible());
    EXPECT_FALSE(headless_.battleroom.BitBtn1.enabled());
    EXPECT_FALSE(headless_.main.BitBtn2.enabled());
}

TEST_F(JoinChecks, AddressIsLookedUpAgainAtEachDoubleClick) {
    logIn();
    const RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
    receive(roomRecord(room));
    doubleClickRoom(room.roomno);
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    doubleClickRoom(room.roomno);
    EXPECT_TRUE(machine_.inputpassword.asked.empty());
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 10}}));
}

class RoomChatDispatch : public HeadlessFixture {};

TEST_F(RoomChatDispatch, OnlyTheOwnRoomsLinesAreShownAndActedOn) {
    logIn();
    const Gbk loaded = zh<"作战指挥室>>">() + zh<"开始进入战场">() + Gbk(" !BB !WARNING");
    receive(roomChat(Gbk("R-carol"), loaded, Gbk("carol")));  // outside any room
    const RoomRecord room = joinRoom(Gbk("bob"));
    const int roomLines = headless_.battleroom.MemRecev.lineCount();
    const int lobbyLines = headless_.main.MemRecev.lineCount();
    receive(roomChat(Gbk("R-carol"), loaded, Gbk("carol")));
    EXPECT_EQ(headless_.battleroom.MemRecev.lineCount(), roomLines);
    EXPECT_EQ(headless_.main.MemRecev.lineCount(), lobbyLines);
    EXPECT_TRUE(headless_.battleroom.CheckBox1.enabled());
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(machine_.sound.played().empty());
    doubleClickNothing();  // in a room even a click on nothing asks to leave first
    EXPECT_EQ(machine_.infoBox.shown,
              (std::vector<Gbk>{zh<"要进入新房间请先退出目前所在房间!">()}));

    receive(roomChat(room.roomno, Gbk("bob>>") + zh<"开始进入战场">(), Gbk("bob")));
    EXPECT_EQ(lastLine(headless_.battleroom.MemRecev), Gbk("bob>>") + zh<"开始进入战场">());
    EXPECT_TRUE(headless_.battleroom.CheckBox1.enabled()) << "a chat line saying so";
    receive(roomChat(room.roomno, zh<"作战指挥室>>">() + Gbk("bob") + zh<"开始进入战场">(),
                     Gbk("bob")));
    EXPECT_FALSE(headless_.battleroom.CheckBox1.enabled());
}

TEST_F(RoomChatDispatch, FullRoomAnswerNamesTheHost) {
    logIn();
    receive(roomRecord(openRoom(Gbk("bob"), Gbk("R-bob")), protocol::subcommand::kRoomJoin));
    EXPECT_EQ(machine_.infoBox.shown,
              (std::vector<Gbk>{zh<"房间">() + Gbk("bob") + zh<"的房间人数已满,不能进入!">()}));
}

}  // namespace
}  // namespace ardentis::forms::testing
