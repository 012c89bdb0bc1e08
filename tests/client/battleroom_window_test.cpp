#include <gtest/gtest.h>

#include "headless_fixture.h"
#include "settings/options_store.h"

namespace ardentis::forms::testing {
namespace {

using protocol::LobbyMessage;
using protocol::RoomRecord;
using text::Gbk;
using text::zh;

class RoomCreation : public HeadlessFixture {
  protected:
    MemoryBattleroomWindow& w = headless_.battleroom;
};

TEST_F(RoomCreation, CarriesTheFixedOptionValuesWhateverTheControlsShow) {
    logIn();
    ASSERT_TRUE(headless_.main.BitBtn2.click());
    w.RGcommander.click(0);
    w.rglos.click(2);
    w.rgwatch.click(0);
    w.RGcheat.click(1);
    w.RGMapmode.click(0);
    w.rgpos.click(0);
    w.Trackulimited.drag(5);
    w.Trackmetal.drag(7);
    w.Trackenergy.drag(0);
    w.Trackplayers.drag(6);
    w.MapList.choose(2);
    w.pwd.type(Gbk("pw"));
    w.gamecomments.setText(Gbk("come"));
    EXPECT_TRUE(sentRecords().empty()) << "no room yet: option changes send nothing";

    machine_.setVirtualLanAddress(10, 140, 3, 4);
    ASSERT_TRUE(w.BitBtn1.click());
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 0}, {2, 0}}));
    const RoomRecord room = protocol::DecodeRoom(sent[0]);
    EXPECT_EQ(room.commander, 2);
    EXPECT_EQ(room.los, 1);
    EXPECT_EQ(room.watch, 2);
    EXPECT_EQ(room.cheat, 1);
    EXPECT_EQ(room.mapmode, 2);
    EXPECT_EQ(room.startpos, 2);
    EXPECT_EQ(room.unitlimit, 30);
    EXPECT_EQ(room.metal, 1);
    EXPECT_EQ(room.energy, 1);
    // What the controls do decide.
    EXPECT_EQ(room.host, Gbk("alice"));
    EXPECT_EQ(room.roomno.size(), 19U);
    EXPECT_EQ(room.map, Gbk("Shore to Shore"));
    EXPECT_EQ(room.maxplayers, 6);
    EXPECT_EQ(room.players, 1);
    EXPECT_EQ(room.password, Gbk("pw"));
    EXPECT_EQ(room.comment, Gbk("come"));
    EXPECT_EQ(room.modname, Gbk("OTA3.1"));
    EXPECT_EQ(room.modcode, Gbk("00"));
    EXPECT_EQ(room.status, Gbk("0"));
    EXPECT_EQ(protocol::DecodeUser(sent[1]).location, room.roomno.gbk());

    EXPECT_FALSE(w.BitBtn1.enabled());
    EXPECT_FALSE(w.BitBtn2.enabled());
    EXPECT_FALSE(w.mods.enabled());
    ASSERT_EQ(w.lvRoom.rowCount(), 1);
    EXPECT_EQ(w.lvRoom.caption(0), Gbk("alice"));
}

TEST_F(RoomCreation, FirstOptionChangeAfterwardsSendsWhatTheControlsShow) {
    logIn();
    headless_.main.BitBtn2.click();
    w.rglos.click(2);
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    w.BitBtn1.click();
    (void)sentRecords();

    w.RGcommander.click(0);
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}}));
    const RoomRecord room = protocol::DecodeRoom(sent[0]);
    EXPECT_EQ(room.commander, 1);
    EXPECT_EQ(room.los, 3);
    EXPECT_EQ(room.nettype, 0);
    EXPECT_EQ(room.host, Gbk("alice"));
    EXPECT_EQ(room.roomref, room.roomno.gbk());
}

TEST_F(RoomCreation, RoomKeepsItsNetworkTypeThroughOptionChanges) {
    machine_.registry.setText(platform::RegistryHive::CurrentUser, settings::kOptionsSection,
                              "vnntype", Gbk("1"));
    logIn();
    machine_.setVirtualLanAddress(5, 6, 7, 8);  // HAMACHI's kind of address, never contacted
    headless_.main.BitBtn2.click();
    w.BitBtn1.click();
    auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 0}, {2, 0}}));
    EXPECT_EQ(protocol::DecodeRoom(sent[0]).nettype, 1);

    w.RGcommander.click(0);
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}}));
    EXPECT_EQ(protocol::DecodeRoom(sent[0]).nettype, 1);
}

TEST_F(RoomCreation, WithoutTheModInstalledItIsRefusedWithAnEmptyModName) {
    startAndConnect();
    acceptLogin();
    (void)sentRecords();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    headless_.main.BitBtn2.click();
    ASSERT_EQ(w.mods.count(), 0);
    w.BitBtn1.click();
    ASSERT_FALSE(machine_.infoBox.shown.empty());
    EXPECT_EQ(machine_.infoBox.shown.back(), zh<"你还没有安装">() + zh<"，请到">() +
                                                 Gbk("http://ardentis.invalid/") +
                                                 zh<"下载对应的mod版本。">());
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(w.BitBtn1.enabled());
}

TEST_F(RoomCreation, WithoutAVirtualLanAddressItIsRefused) {
    logIn();
    headless_.main.BitBtn2.click();
    w.BitBtn1.click();
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"请确保您在选项中选择的虚拟局域网软件保持在线！">());
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(w.BitBtn1.enabled());
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
}

class HostOptionChange : public HeadlessFixture {
  protected:
    MemoryBattleroomWindow& w = headless_.battleroom;
};

TEST_F(HostOptionChange, EachRadioChangeSendsExactlyOneOptionsRecord) {
    logIn();
    (void)hostRoom({Gbk("bob")});
    MemoryRadioGroup* groups[] = {&w.RGcommander, &w.rglos,     &w.rgwatch,
                                  &w.RGcheat,     &w.RGMapmode, &w.rgpos};
    for (MemoryRadioGroup* group : groups) {
        const int other = group->itemIndex() == 0 ? 1 : 0;
        ASSERT_TRUE(group->click(other));
        EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}}));
    }
}

TEST_F(HostOptionChange, PlayerLimitSendsOptionsThenTheRoom) {
    logIn();
    (void)hostRoom({Gbk("bob")});
    ASSERT_TRUE(w.Trackplayers.drag(6));
    EXPECT_EQ(w.lplayers.caption(), Gbk("6"));
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}, {4, 0}}));
    EXPECT_EQ(protocol::DecodeRoom(sent[0]).maxplayers, 6);
    EXPECT_EQ(protocol::DecodeRoom(sent[1]).maxplayers, 6);
}

TEST_F(HostOptionChange, DescriptionPasswordAndMapAlsoSendTheRoom) {
    logIn();
    (void)hostRoom();
    w.pwd.type(Gbk("x"));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}, {4, 0}}));
    w.gamecomments.setText(Gbk("new words"));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}, {4, 0}}));
    w.MapList.choose(1);
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}, {4, 0}}));
    EXPECT_EQ(protocol::DecodeRoom(sent[1]).map, Gbk("Comet Catcher"));
}

TEST_F(HostOptionChange, SliderLabelsShowTheirUnits) {
    logIn();
    (void)hostRoom();
    w.Trackulimited.drag(5);
    EXPECT_EQ(w.llimited.caption(), Gbk("250"));
    w.Trackmetal.drag(0);
    EXPECT_EQ(w.Lmetal.caption(), Gbk("0"));
    w.Trackenergy.drag(10);
    EXPECT_EQ(w.Lenergy.caption(), Gbk("10000"));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}, {4, 15}, {4, 15}}));
}

TEST_F(HostOptionChange, LimitBelowThePlayersIsRefusedAndTheSliderReturns) {
    logIn();
    (void)hostRoom({Gbk("bob"), Gbk("carol")});
    ASSERT_EQ(w.lvRoom.rowCount(), 3);
    machine_.infoBox.shown.clear();
    w.Trackplayers.drag(2);
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"玩家数量不能再少了。">());
    EXPECT_EQ(w.Trackplayers.position(), 3);
    EXPECT_EQ(w.lplayers.caption(), Gbk("3"));
    // The corrected position is a change of its own, and the host sends it.
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}, {4, 0}}));
    EXPECT_EQ(protocol::DecodeRoom(sent[0]).maxplayers, 3);
}

class MapSuggestion : public HeadlessFixture {};

TEST_F(MapSuggestion, JoinerPickingAMapSendsTheNoticeAndNoRoomRecord) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    ASSERT_TRUE(headless_.battleroom.MapList.choose(1));
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 5}}));
    EXPECT_EQ(sent[0].sparam1.text(), zh<"作战指挥室>>">() + Gbk("alice") + zh<"建议使用">() +
                                          Gbk("Comet Catcher") + zh<"这张地图。">());
    EXPECT_EQ(sent[0].sparam2.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam3.text(), Gbk("alice"));
}

class ReadyBox : public HeadlessFixture {};

TEST_F(ReadyBox, JoinersTickSendsReadyAndUntickSendsWaiting) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    ASSERT_TRUE(headless_.battleroom.CheckBox1.visible());
    ASSERT_FALSE(headless_.battleroom.BitBtn2.visible());
    headless_.battleroom.CheckBox1.click();
    auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 16}}));
    EXPECT_EQ(sent[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam2.text(), Gbk("alice"));
    EXPECT_EQ(sent[0].iparam1.get(), 0);
    EXPECT_EQ(readyMark(Gbk("alice")), zh<"就绪">());

    headless_.battleroom.CheckBox1.click();
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 16}}));
    EXPECT_EQ(sent[0].iparam1.get(), 1);
    EXPECT_EQ(readyMark(Gbk("alice")), zh<"等待">());
}

class BattleroomLeave : public HeadlessFixture {};

TEST_F(BattleroomLeave, SystemCloseIsRefused) {
    logIn();
    (void)joinRoom(Gbk("bob"));
    EXPECT_FALSE(headless_.battleroom.window.requestClose());
    EXPECT_TRUE(headless_.battleroom.window.visible());
    EXPECT_NE(client_.connection()->lobby.myroom, nullptr);
    EXPECT_TRUE(sentRecords().empty());
}

TEST_F(BattleroomLeave, ExitLeavesTheRoomAndHidesTheWindow) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    ASSERT_TRUE(headless_.battleroom.BitBtn3.click());
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 12}, {2, 0}}));
    EXPECT_EQ(sent[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(protocol::DecodeUser(sent[1]).location, zh<"大厅">());
    EXPECT_FALSE(headless_.battleroom.window.visible());
    EXPECT_EQ(headless_.battleroom.lvRoom.rowCount(), 0);
    EXPECT_TRUE(headless_.main.BitBtn2.enabled());
    EXPECT_TRUE(headless_.battleroom.BitBtn1.enabled());
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
}

TEST_F(BattleroomLeave, CreatorWhoWasAJoinerBeforeCanChangeLimitAndDescription) {
    logIn();
    (void)joinRoom(Gbk("bob"));
    headless_.battleroom.BitBtn3.click();
    (void)hostRoom();
    ASSERT_TRUE(headless_.battleroom.Trackplayers.drag(4));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}, {4, 0}}));
    headless_.battleroom.gamecomments.setText(Gbk("again"));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}, {4, 0}}));
}

}  // namespace
}  // namespace ardentis::forms::testing
