#include <gtest/gtest.h>

#include "headless_fixture.h"

namespace ardentis::forms::testing {
namespace {

using protocol::LobbyMessage;
using protocol::RoomRecord;
using text::Gbk;
using text::zh;

namespace sub = protocol::subcommand;

class StartRule : public HeadlessFixture {
  protected:
    [[nodiscard]] bool startEnabled() const { return headless_.battleroom.BitBtn2.enabled(); }
};

TEST_F(StartRule, CreatorAloneIsReadyButCannotStart) {
    logIn();
    (void)hostRoom();
    ASSERT_EQ(headless_.battleroom.lvRoom.rowCount(), 1);
    EXPECT_EQ(readyMark(Gbk("alice")), zh<"就绪">());
    EXPECT_TRUE(headless_.battleroom.BitBtn2.visible());
    EXPECT_FALSE(startEnabled());
}

TEST_F(StartRule, TwoReadyRowsEnableStart) {
    logIn();
    (void)hostRoom({Gbk("bob")});
    ASSERT_EQ(headless_.battleroom.lvRoom.rowCount(), 2);
    EXPECT_EQ(readyMark(Gbk("bob")), zh<"就绪">());
    EXPECT_TRUE(startEnabled());
}

TEST_F(StartRule, ThirdPlayerIsShownReadyUntilHisWaitingStateArrives) {
    logIn();
    const RoomRecord room = hostRoom({Gbk("bob")});
    receive(memberRecord(room.roomno, Gbk("carol")));
    ASSERT_EQ(headless_.battleroom.lvRoom.rowCount(), 3);
    EXPECT_EQ(readyMark(Gbk("carol")), zh<"就绪">());
    EXPECT_TRUE(startEnabled());

    receive(playerState(room.roomno, Gbk("carol"), 1));
    EXPECT_EQ(readyMark(Gbk("carol")), zh<"等待">());
    EXPECT_FALSE(startEnabled());

    receive(playerState(room.roomno, Gbk("carol"), 0));
    EXPECT_EQ(readyMark(Gbk("carol")), zh<"就绪">());
    EXPECT_TRUE(startEnabled());
}

TEST_F(StartRule, BattleRowKeepsStartDisabledAndOtherValuesMeanWaiting) {
    logIn();
    const RoomRecord room = hostRoom({Gbk("bob")});
    receive(playerState(room.roomno, Gbk("bob"), -1));
    EXPECT_EQ(readyMark(Gbk("bob")), zh<"战斗">());
    EXPECT_FALSE(startEnabled());

    receive(playerState(room.roomno, Gbk("bob"), 5));
    EXPECT_EQ(readyMark(Gbk("bob")), zh<"等待">());
    EXPECT_FALSE(startEnabled());

    receive(playerState(room.roomno, Gbk("bob"), 0));
    EXPECT_TRUE(startEnabled());
}

TEST_F(StartRule, StateForAnotherRoomIsIgnored) {
    logIn();
    (void)hostRoom({Gbk("bob")});
    receive(playerState(Gbk("R-elsewhere"), Gbk("bob"), 1));
    EXPECT_EQ(readyMark(Gbk("bob")), zh<"就绪">());
    EXPECT_TRUE(startEnabled());
}

TEST_F(StartRule, PlayerLeavingTakesHisRowAndRechecks) {
    logIn();
    const RoomRecord room = hostRoom({Gbk("bob")});
    LobbyMessage leave{};
    leave.setKind(protocol::command::kRoom, sub::kRoomLeave);
    leave.sparam1.set(room.roomno);
    leave.sparam2.set(Gbk("bob"));
    receive(leave);
    EXPECT_FALSE(headless_.battleroom.lvRoom.findCaption(Gbk("bob")).has_value());
    EXPECT_EQ(lastLine(headless_.battleroom.MemRecev),
              zh<"作战指挥室>>">() + Gbk("bob") + zh<"离开作战指挥室。">());
    EXPECT_FALSE(startEnabled());
}

TEST_F(StartRule, SecondEntryOfAPlayerAddsNoRowAndNoLine) {
    logIn();
    const RoomRecord room = hostRoom({Gbk("bob")});
    const int lines = headless_.battleroom.MemRecev.lineCount();
    receive(memberRecord(room.roomno, Gbk("bob")));
    EXPECT_EQ(headless_.battleroom.lvRoom.rowCount(), 2);
    EXPECT_EQ(headless_.battleroom.MemRecev.lineCount(), lines);
}

class ApplyOptions : public HeadlessFixture {
  protected:
    // The host's options record for the room.
    static LobbyMessage optionsOf(const RoomRecord& room) {
        return roomRecord(room, sub::kRoomOptions);
    }
};

TEST_F(ApplyOptions, JoinerTakesTheHostsSettingsWithoutSendingOptions) {
    logIn();
    RoomRecord room = joinRoom(Gbk("bob"));
    room.comment = Gbk("fast game");
    room.map = Gbk("Shore to Shore");
    room.password = Gbk("pw");
    room.maxplayers = 4;
    room.commander = 3;
    room.los = 3;
    room.watch = 1;
    room.cheat = 2;
    room.mapmode = 1;
    room.startpos = 1;
    room.unitlimit = 20;
    room.metal = 5;
    room.energy = 0;
    receive(optionsOf(room));

    const MemoryBattleroomWindow& w = headless_.battleroom;
    EXPECT_EQ(w.gamecomments.text(), Gbk("fast game"));
    EXPECT_EQ(w.MapList.text(), Gbk("Shore to Shore"));
    EXPECT_EQ(w.pwd.text(), Gbk("pw"));
    EXPECT_EQ(w.Trackplayers.position(), 4);
    EXPECT_EQ(w.lplayers.caption(), Gbk("4"));
    EXPECT_EQ(w.RGcommander.itemIndex(), 2);
    EXPECT_EQ(w.RGcommander.item(w.RGcommander.itemIndex()), zh<"死亡竞赛">());
    EXPECT_EQ(w.rglos.itemIndex(), 2);
    EXPECT_EQ(w.rgwatch.itemIndex(), 0);
    EXPECT_EQ(w.RGcheat.itemIndex(), 1);
    EXPECT_EQ(w.RGMapmode.itemIndex(), 0);
    EXPECT_EQ(w.rgpos.itemIndex(), 0);
    EXPECT_EQ(w.Trackulimited.position(), 20);
    EXPECT_EQ(w.llimited.caption(), Gbk("1000"));
    EXPECT_EQ(w.Trackmetal.position(), 5);
    EXPECT_EQ(w.Lmetal.caption(), Gbk("5000"));
    EXPECT_EQ(w.Trackenergy.position(), 0);
    EXPECT_EQ(w.Lenergy.caption(), Gbk("0"));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(client_.connection()->lobby.myroom->mapok);
}

TEST_F(ApplyOptions, MapThatDiffersOnlyInCaseIsSelected) {
    logIn();
    RoomRecord room = joinRoom(Gbk("bob"));
    room.map = Gbk("comet CATCHER");
    receive(optionsOf(room));
    EXPECT_EQ(headless_.battleroom.MapList.itemIndex(), 1);
    EXPECT_TRUE(client_.connection()->lobby.myroom->mapok);
    EXPECT_TRUE(sentRecords().empty());
}

TEST_F(ApplyOptions, MissingMapIsAnnouncedAndTheReadyMarkWithdrawn) {
    logIn();
    RoomRecord room = joinRoom(Gbk("bob"));
    ASSERT_TRUE(headless_.battleroom.CheckBox1.click());
    ASSERT_EQ(readyMark(Gbk("alice")), zh<"就绪">());
    (void)sentRecords();

    room.map = Gbk("Ice Age");
    receive(optionsOf(room));
    const auto sent = sentRecords();
    ASSERT_GE(sent.size(), 2U);
    EXPECT_EQ(kinds({sent[0]}), (Kinds{{4, 5}}));
    EXPECT_EQ(sent[0].sparam1.text(), zh<"作战指挥室>>">() + Gbk("alice") + zh<"没有">() +
                                          Gbk("Ice Age") + zh<"这个地图。">());
    EXPECT_EQ(sent[0].sparam2.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam3.text(), Gbk("alice"));
    for (std::size_t i = 1; i < sent.size(); ++i) {
        EXPECT_EQ(kinds({sent[i]}), (Kinds{{4, 16}}));
        EXPECT_EQ(sent[i].iparam1.get(), 1);
    }
    EXPECT_FALSE(headless_.battleroom.CheckBox1.checked());
    EXPECT_EQ(readyMark(Gbk("alice")), zh<"等待">());
    EXPECT_EQ(headless_.battleroom.MapList.itemIndex(), 0);  // the previous selection stays
    EXPECT_FALSE(client_.connection()->lobby.myroom->mapok);
}

TEST_F(ApplyOptions, UnknownModCodeKeepsTheModSelection) {
    logIn();
    RoomRecord room = joinRoom(Gbk("bob"));
    const Gbk before = headless_.battleroom.mods.text();
    ASSERT_FALSE(before.empty());
    room.modcode = Gbk("ZZ");
    receive(optionsOf(room));
    EXPECT_EQ(headless_.battleroom.mods.text(), before);
}

TEST_F(ApplyOptions, HostIgnoresItsOwnOptionsComingBack) {
    logIn();
    RoomRecord room = hostRoom({Gbk("bob")});
    const MemoryBattleroomWindow& w = headless_.battleroom;
    const int commander = w.RGcommander.itemIndex();
    const Gbk comments = w.gamecomments.text();
    room.commander = 3;
    room.map = Gbk("Ice Age");
    room.comment = Gbk("someone else's words");
    room.maxplayers = 5;
    room.metal = 9;
    receive(optionsOf(room));
    EXPECT_EQ(w.RGcommander.itemIndex(), commander);
    EXPECT_EQ(w.MapList.itemIndex(), 0);
    EXPECT_EQ(w.gamecomments.text(), comments);
    EXPECT_EQ(w.Trackplayers.position(), 10);
    EXPECT_EQ(w.Trackmetal.position(), 1);
    EXPECT_TRUE(sentRecords().empty());
}

TEST_F(ApplyOptions, JoinerLimitBelowThePlayersIsRefusedOnHisWindowToo) {
    logIn();
    RoomRecord room = joinRoom(Gbk("bob"), {Gbk("carol")});
    ASSERT_EQ(headless_.battleroom.lvRoom.rowCount(), 3);
    machine_.infoBox.shown.clear();
    room.maxplayers = 2;
    receive(optionsOf(room));
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"玩家数量不能再少了。">());
    EXPECT_EQ(headless_.battleroom.Trackplayers.position(), 3);
    EXPECT_TRUE(sentRecords().empty());
}

}  // namespace
}  // namespace ardentis::forms::testing
