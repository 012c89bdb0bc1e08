#include <gtest/gtest.h>

#include <optional>

#include "headless_fixture.h"

namespace ardentis::forms::testing {
namespace {

using protocol::RoomRecord;
using text::Gbk;
using text::zh;

// A room that fails the join check `name` and every check after it, so that only the
// order of the checks decides which message is shown.
struct JoinCase {
    const char* name;
    bool address;
    std::int8_t nettype;
    const char* status;
    const char* modcode;
    std::optional<Gbk> typedPassword;  // the answer to the password prompt
    Gbk message;
};

void PrintTo(const JoinCase& check, std::ostream* os) {
    *os << check.name;
}

class JoinCheckOrder : public HeadlessFixture, public ::testing::WithParamInterface<JoinCase> {};

TEST_P(JoinCheckOrder, FirstFailingCheckSpeaksAndNothingIsSent) {
    const JoinCase& check = GetParam();
    logIn();
    if (check.address) {
        machine_.setVirtualLanAddress(10, 140, 3, 4);
    }
    machine_.inputpassword.answers.push_back(check.typedPassword);
    RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
    room.nettype = check.nettype;
    room.status = Gbk(check.status);
    room.modcode = Gbk(check.modcode);
    room.modname = Gbk("TAAA");
    room.password = Gbk("secret");
    receive(roomRecord(room));

    doubleClickRoom(room.roomno);
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], check.message);
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_FALSE(headless_.battleroom.window.visible());
    EXPECT_TRUE(headless_.main.BitBtn2.enabled());
}

INSTANTIATE_TEST_SUITE_P(
    InOrder, JoinCheckOrder,
    ::testing::Values(
        JoinCase{"NoVirtualLanAddress", false, 1, "1", "05", Gbk("wrong"),
                 zh<"您还没有登录虚拟网络!">()},
        JoinCase{"OtherNetworkType", true, 1, "1", "05", Gbk("wrong"),
                 zh<"请确保您登录了虚拟网络软件">() + Gbk("HAMACHI")},
        JoinCase{"InBattle", true, 0, "1", "05", Gbk("wrong"),
                 zh<"房间中已经开始战斗了，请战后再来!">()},
        JoinCase{"ModNotInstalled", true, 0, "0", "05", Gbk("wrong"),
                 zh<"你没有安装 ">() + Gbk("Absulate Annihilation 6.0") + zh<"，请到">() +
                     Gbk("http://ardentis.invalid/") + zh<"下载对应的mod。">()},
        JoinCase{"WrongPassword", true, 0, "0", "00", Gbk("wrong"), zh<"密码输入错误。">()}),
    [](const ::testing::TestParamInfo<JoinCase>& check) { return check.param.name; });

class JoinChecks : public HeadlessFixture {
  protected:
    // bob's room, of the installed game, with the password "secret"; an address is there.
    RoomRecord listLockedRoom() {
        machine_.setVirtualLanAddress(10, 140, 3, 4);
        RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
        room.password = Gbk("secret");
        receive(roomRecord(room));
        return room;
    }
};

TEST_F(JoinChecks, InARoomEvenAClickOnNothingAsksToLeaveFirst) {
    logIn();
    (void)joinRoom(Gbk("carol"));
    doubleClickNothing();
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"要进入新房间请先退出目前所在房间!">());
    EXPECT_TRUE(sentRecords().empty());
}

TEST_F(JoinChecks, WithoutSelectionNothingHappens) {
    logIn();
    (void)listLockedRoom();
    doubleClickNothing();
    EXPECT_TRUE(machine_.infoBox.shown.empty());
    EXPECT_TRUE(machine_.inputpassword.asked.empty());
    EXPECT_TRUE(sentRecords().empty());
}

TEST_F(JoinChecks, CancelledPasswordSendsNothingAndShowsNothing) {
    logIn();
    const RoomRecord room = listLockedRoom();
    machine_.inputpassword.answers.push_back(std::nullopt);
    doubleClickRoom(room.roomno);
    ASSERT_EQ(machine_.inputpassword.asked.size(), 1U);
    EXPECT_EQ(machine_.inputpassword.asked[0].first, zh<"请输入密码">());
    EXPECT_EQ(machine_.inputpassword.asked[0].second, zh<"请输入房间密码">());
    EXPECT_TRUE(machine_.infoBox.shown.empty());
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_FALSE(headless_.battleroom.window.visible());
}

TEST_F(JoinChecks, RightPasswordAsksToJoinAndOpensTheBattleRoomAsJoiner) {
    logIn();
    const RoomRecord room = listLockedRoom();
    machine_.inputpassword.answers.push_back(Gbk("secret"));
    doubleClickRoom(room.roomno);
    EXPECT_TRUE(machine_.infoBox.shown.empty());
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 10}}));
    EXPECT_EQ(sent[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam2.text(), Gbk("alice"));
    EXPECT_TRUE(headless_.battleroom.window.visible());
    EXPECT_FALSE(headless_.battleroom.BitBtn1.enabled());
    EXPECT_FALSE(headless_.main.BitBtn2.enabled());
}

TEST_F(JoinChecks, RoomWithoutPasswordAsksForNone) {
    logIn();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    const RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
    receive(roomRecord(room));
    doubleClickRoom(room.roomno);
    EXPECT_TRUE(machine_.inputpassword.asked.empty());
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 10}}));
}

TEST_F(JoinChecks, AddressIsLookedUpAgainAtEachDoubleClick) {
    logIn();
    const RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
    receive(roomRecord(room));
    doubleClickRoom(room.roomno);
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    doubleClickRoom(room.roomno);
    EXPECT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 10}}));
}

TEST_F(JoinChecks, UnknownModCodeIsNamedByTheRowsModColumn) {
    logIn();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
    room.modcode = Gbk("ZZ");
    room.modname = Gbk("Homebrew");
    receive(roomRecord(room));
    doubleClickRoom(room.roomno);
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"你没有安装 ">() + Gbk("Homebrew") + zh<"，请到">() +
                                             Gbk("http://ardentis.invalid/") +
                                             zh<"下载对应的mod。">());
}

class LobbyWindowClose : public HeadlessFixture {};

TEST_F(LobbyWindowClose, SystemCloseIsRefused) {
    logIn();
    (void)joinRoom(Gbk("bob"));
    EXPECT_FALSE(headless_.main.window.requestClose());
    EXPECT_TRUE(headless_.main.window.visible());
    EXPECT_NE(client_.connection()->lobby.myroom, nullptr);
    EXPECT_TRUE(sentRecords().empty());
}

TEST_F(LobbyWindowClose, ExitClosesTheWindowAndLeavesTheRoom) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    ASSERT_TRUE(headless_.main.BitBtn4.click());
    EXPECT_FALSE(headless_.main.window.visible());
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 12}, {2, 0}}));
    EXPECT_EQ(sent[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam2.text(), Gbk("alice"));
}

TEST_F(LobbyWindowClose, ExitOutsideARoomSendsNothing) {
    logIn();
    ASSERT_TRUE(headless_.main.BitBtn4.click());
    EXPECT_FALSE(headless_.main.window.visible());
    EXPECT_TRUE(sentRecords().empty());
}

}  // namespace
}  // namespace ardentis::forms::testing
