// The battle room on the headless client: who may start, what the options send and show,
// what the server's room records do to it.
#include <gtest/gtest.h>

#include "headless_fixture.h"
#include "settings/options_store.h"

namespace ardentis::forms::testing {
namespace {

using protocol::DecodeRoom;
using protocol::RoomRecord;
using text::Gbk;
using text::zh;

namespace sub = protocol::subcommand;

const Gbk kReady = zh<"就绪">();
const Gbk kWaiting = zh<"等待">();
const Gbk kLobby = zh<"大厅">();

class RoomFixture : public HeadlessFixture {
  protected:
    [[nodiscard]] bool startEnabled() const { return w.BitBtn2.enabled(); }
    [[nodiscard]] std::vector<int> radios() const {
        return {w.RGcommander.itemIndex(), w.rglos.itemIndex(),     w.rgwatch.itemIndex(),
                w.RGcheat.itemIndex(),     w.RGMapmode.itemIndex(), w.rgpos.itemIndex()};
    }
    MemoryBattleroomWindow& w = headless_.battleroom;
};

class StartRule : public RoomFixture {};

TEST_F(StartRule, NeedsASecondRowAndEveryRowReady) {
    logIn();
    const RoomRecord room = hostRoom();
    EXPECT_EQ(readyMark(Gbk("alice")), kReady);
    EXPECT_TRUE(w.BitBtn2.visible());
    EXPECT_FALSE(startEnabled()) << "the creator alone";
    receive(userRecord(Gbk("bob"), kLobby));
    receive(memberRecord(room.roomno, Gbk("bob")));
    receive(memberRecord(room.roomno, Gbk("carol")));
    EXPECT_EQ(readyMark(Gbk("carol")), kReady) << "shown ready until his state arrives";
    EXPECT_TRUE(startEnabled());
    const int lines = w.MemRecev.lineCount();
    receive(memberRecord(room.roomno, Gbk("bob")));  // a second entry: no row, no line
    EXPECT_EQ(w.lvRoom.rowCount(), 3);
    EXPECT_EQ(w.MemRecev.lineCount(), lines);

    struct Step {
        const char* account;
        const char* roomno;  // nullptr: the own room
        int state;
        Gbk mark;
        bool start;
    };
    const Step steps[] = {{"carol", nullptr, 1, kWaiting, false},
                          {"carol", nullptr, 0, kReady, true},
                          {"bob", nullptr, -1, zh<"战斗">(), false},
                          {"bob", nullptr, 5, kWaiting, false},
                          {"bob", "R-elsewhere", 0, kWaiting, false}};
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.account) + " " + std::to_string(step.state));
        receive(playerState(step.roomno ? Gbk(step.roomno) : room.roomno.gbk(), Gbk(step.account),
                            step.state));
        EXPECT_EQ(readyMark(Gbk(step.account)), step.mark);
        EXPECT_EQ(startEnabled(), step.start);
    }
    for (const char* leaver : {"bob", "carol"}) {  // bob waits; then alice is alone
        protocol::LobbyMessage leave{};
        leave.setKind(protocol::command::kRoom, sub::kRoomLeave);
        leave.sparam1.set(room.roomno);
        leave.sparam2.set(Gbk(leaver));
        receive(leave);
        EXPECT_FALSE(w.lvRoom.findCaption(Gbk(leaver)).has_value());
        EXPECT_EQ(lastLine(w.MemRecev),
                  zh<"作战指挥室>>">() + Gbk(leaver) + zh<"离开作战指挥室。">());
        EXPECT_EQ(startEnabled(), leaver == std::string("bob")) << leaver;
    }
}

class ApplyOptions : public RoomFixture {};

TEST_F(ApplyOptions, JoinerShowsTheHostsOptionsAndSendsNothing) {
    logIn();
    RoomRecord room = joinRoom(Gbk("bob"));
    const Gbk mod = w.mods.text();
    room.comment = Gbk("fast game");
    room.map = Gbk("comet CATCHER");  // the case of a map name does not matter
    room.password = Gbk("pw");
    room.modcode = Gbk("ZZ");  // unknown: the mod selection stays
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
    receive(roomRecord(room, sub::kRoomOptions));
    EXPECT_EQ(w.gamecomments.text(), Gbk("fast game"));
    EXPECT_EQ(w.MapList.itemIndex(), 1);
    EXPECT_EQ(w.pwd.text(), Gbk("pw"));
    EXPECT_EQ(w.mods.text(), mod);
    EXPECT_EQ(radios(), (std::vector<int>{2, 2, 0, 1, 0, 0}));
    EXPECT_EQ((std::vector<Gbk>{w.lplayers.caption(), w.llimited.caption(), w.Lmetal.caption(),
                                w.Lenergy.caption()}),
              (std::vector<Gbk>{Gbk("4"), Gbk("1000"), Gbk("5000"), Gbk("0")}));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(client_.connection()->lobby.myroom->mapok);
}

TEST_F(ApplyOptions, MissingMapIsAnnouncedAndTheReadyMarkWithdrawn) {
    logIn();
    RoomRecord room = joinRoom(Gbk("bob"));
    ASSERT_TRUE(w.CheckBox1.click());
    (void)sentRecords();
    room.map = Gbk("Ice Age");
    receive(roomRecord(room, sub::kRoomOptions));
    const auto sent = sentRecords();
    ASSERT_GE(sent.size(), 2U);
    EXPECT_EQ(kinds({sent[0]}), (Kinds{{4, 5}}));
    EXPECT_EQ(sent[0].sparam1.text(), zh<"作战指挥室>>">() + Gbk("alice") + zh<"没有">() +
                                          Gbk("Ice Age") + zh<"这个地图。">());
    for (std::size_t i = 1; i < sent.size(); ++i) {
        EXPECT_EQ(kinds({sent[i]}), (Kinds{{4, 16}}));
        EXPECT_EQ(sent[i].iparam1.get(), 1);
    }
    EXPECT_FALSE(w.CheckBox1.checked());
    EXPECT_EQ(readyMark(Gbk("alice")), kWaiting);
    EXPECT_EQ(w.MapList.itemIndex(), 0);
    EXPECT_FALSE(client_.connection()->lobby.myroom->mapok);
}

TEST_F(ApplyOptions, HostIgnoresItsOwnOptionsComingBack) {
    logIn();
    RoomRecord room = hostRoom({Gbk("bob")});
    const auto before = radios();
    room.commander = 3;
    room.map = Gbk("Ice Age");
    room.metal = 9;
    receive(roomRecord(room, sub::kRoomOptions));
    EXPECT_EQ(radios(), before);
    EXPECT_EQ(w.MapList.itemIndex(), 0);
    EXPECT_EQ(w.Trackmetal.position(), 1);
    EXPECT_TRUE(sentRecords().empty());
}

TEST_F(ApplyOptions, JoinerLimitBelowThePlayersIsRefusedOnHisWindowToo) {
    logIn();
    RoomRecord room = joinRoom(Gbk("bob"), {Gbk("carol")});
    room.maxplayers = 2;
    receive(roomRecord(room, sub::kRoomOptions));
    EXPECT_EQ(machine_.infoBox.shown, (std::vector<Gbk>{zh<"玩家数量不能再少了。">()}));
    EXPECT_EQ(w.Trackplayers.position(), 3);
    EXPECT_TRUE(sentRecords().empty());
}

class RoomCreation : public RoomFixture {};

TEST_F(RoomCreation, CarriesFixedOptionValuesThenTheFirstChangeSendsTheControls) {
    machine_.registry.setText(platform::RegistryHive::CurrentUser, settings::kOptionsSection,
                              "vnntype", Gbk("1"));
    logIn();
    ASSERT_TRUE(headless_.main.BitBtn2.click());
    w.rglos.click(2);
    w.rgwatch.click(0);
    w.Trackmetal.drag(7);
    w.Trackplayers.drag(6);
    w.MapList.choose(2);
    w.pwd.type(Gbk("pw"));
    w.gamecomments.setText(Gbk("come"));
    EXPECT_TRUE(sentRecords().empty()) << "no room yet: option changes send nothing";
    machine_.setVirtualLanAddress(5, 6, 7, 8);
    ASSERT_TRUE(w.BitBtn1.click());
    auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 0}, {2, 0}}));
    RoomRecord room = DecodeRoom(sent[0]);
    EXPECT_EQ((std::vector<int>{room.commander, room.los, room.watch, room.cheat, room.mapmode,
                                room.startpos, room.unitlimit, room.metal, room.energy}),
              (std::vector<int>{2, 1, 2, 1, 2, 2, 30, 1, 1}));
    EXPECT_EQ(
        (std::vector<Gbk>{room.host, room.map, room.password, room.comment, room.modcode}),
        (std::vector<Gbk>{Gbk("alice"), Gbk("Shore to Shore"), Gbk("pw"), Gbk("come"), Gbk("00")}));
    EXPECT_EQ(room.roomno.size(), 19U);
    EXPECT_EQ(room.maxplayers, 6);
    EXPECT_EQ(room.nettype, 1);
    EXPECT_EQ(protocol::DecodeUser(sent[1]).location, room.roomno.gbk());
    EXPECT_FALSE(w.BitBtn1.enabled());
    EXPECT_FALSE(w.mods.enabled());

    w.RGcommander.click(0);
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}}));
    room = DecodeRoom(sent[0]);
    EXPECT_EQ((std::vector<int>{room.commander, room.los, room.metal, room.nettype}),
              (std::vector<int>{1, 3, 7, 1}));
    EXPECT_EQ(room.roomref, room.roomno.gbk());
}

TEST_F(RoomCreation, WithoutTheModItIsRefused) {
    startAndConnect();
    acceptLogin();
    (void)sentRecords();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    headless_.main.BitBtn2.click();
    w.BitBtn1.click();
    EXPECT_EQ(machine_.infoBox.shown,
              (std::vector<Gbk>{zh<"你还没有安装">() + zh<"，请到">() +
                                Gbk("http://ardentis.invalid/") + zh<"下载对应的mod版本。">()}));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(w.BitBtn1.enabled());
}

TEST_F(RoomCreation, WithoutAVirtualLanAddressItIsRefused) {
    logIn();
    headless_.main.BitBtn2.click();
    w.BitBtn1.click();
    EXPECT_EQ(machine_.infoBox.shown,
              (std::vector<Gbk>{zh<"请确保您在选项中选择的虚拟局域网软件保持在线！">()}));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
}

class HostOptionChange : public RoomFixture {};

TEST_F(HostOptionChange, RadiosAndSlidersSendOptionsTheRestAlsoTheRoom) {
    logIn();
    (void)hostRoom({Gbk("bob")});
    for (MemoryRadioGroup* group :
         {&w.RGcommander, &w.rglos, &w.rgwatch, &w.RGcheat, &w.RGMapmode, &w.rgpos}) {
        ASSERT_TRUE(group->click(group->itemIndex() == 0 ? 1 : 0));
        EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}}));
    }
    for (MemorySlider* slider : {&w.Trackulimited, &w.Trackmetal, &w.Trackenergy}) {
        ASSERT_TRUE(slider->drag(5));
        EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}}));
    }
    ASSERT_TRUE(w.Trackplayers.drag(6));
    auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}, {4, 0}}));
    EXPECT_EQ(DecodeRoom(sent[1]).maxplayers, 6);
    w.pwd.type(Gbk("x"));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}, {4, 0}}));
    w.gamecomments.setText(Gbk("new words"));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}, {4, 0}}));
    w.MapList.choose(1);
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}, {4, 0}}));
    EXPECT_EQ(DecodeRoom(sent[1]).map, Gbk("Comet Catcher"));
}

TEST_F(HostOptionChange, LimitBelowThePlayersIsRefusedAndTheCorrectionSent) {
    logIn();
    (void)hostRoom({Gbk("bob"), Gbk("carol")});
    machine_.infoBox.shown.clear();
    w.Trackplayers.drag(2);
    EXPECT_EQ(machine_.infoBox.shown, (std::vector<Gbk>{zh<"玩家数量不能再少了。">()}));
    EXPECT_EQ(w.Trackplayers.position(), 3);
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}, {4, 0}}));
    EXPECT_EQ(DecodeRoom(sent[0]).maxplayers, 3);
}

TEST_F(HostOptionChange, ACreatorWhoWasAJoinerBeforeMayChangeLimitAndDescription) {
    logIn();
    (void)joinRoom(Gbk("bob"));
    w.BitBtn3.click();
    (void)hostRoom();
    ASSERT_TRUE(w.Trackplayers.drag(4));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}, {4, 0}}));
    w.gamecomments.setText(Gbk("again"));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, 15}, {4, 0}}));
}

class JoinerControls : public RoomFixture {};

TEST_F(JoinerControls, MapChoiceSuggestsAndTheReadyBoxSendsTheState) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"), {Gbk("carol")});
    EXPECT_EQ(readyMark(Gbk("bob")), kReady);
    EXPECT_EQ(readyMark(Gbk("carol")), kWaiting);
    EXPECT_EQ(readyMark(Gbk("alice")), kWaiting);
    EXPECT_EQ(lastLine(w.MemRecev), zh<"作战指挥室>>">() + Gbk("alice") + zh<"进入作战指挥室。">());
    EXPECT_EQ(client_.currentUser.location, room.roomno.gbk());
    EXPECT_FALSE(w.BitBtn2.visible());
    EXPECT_FALSE(w.RGcommander.enabled());

    ASSERT_TRUE(w.MapList.choose(1));
    auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 5}}));
    EXPECT_EQ(sent[0].sparam1.text(), zh<"作战指挥室>>">() + Gbk("alice") + zh<"建议使用">() +
                                          Gbk("Comet Catcher") + zh<"这张地图。">());
    EXPECT_EQ(sent[0].sparam2.text(), room.roomno.gbk());
    for (const int state : {0, 1}) {
        w.CheckBox1.click();
        sent = sentRecords();
        ASSERT_EQ(kinds(sent), (Kinds{{4, 16}}));
        EXPECT_EQ(sent[0].sparam2.text(), Gbk("alice"));
        EXPECT_EQ(sent[0].iparam1.get(), state);
        EXPECT_EQ(readyMark(Gbk("alice")), state == 0 ? kReady : kWaiting);
    }
}

class RoomUpdateInRoom : public RoomFixture {};

TEST_F(RoomUpdateInRoom, UpdateOfAnotherRoomLeavesTheOwnRoomAndItsStartButtonAlone) {
    logIn();
    (void)hostRoom({Gbk("bob")});
    ASSERT_TRUE(startEnabled());
    RoomRecord other = openRoom(Gbk("carol"), Gbk("R-carol"));
    receive(roomRecord(other));
    other.comment = Gbk("changed");
    receive(roomRecord(other));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(startEnabled());
    EXPECT_EQ(headless_.main.lvrooms.subItem(1, 2), Gbk("changed"));
}

TEST_F(RoomUpdateInRoom, HostIsMarkedReadyByAnUpdateOfHisRoom) {
    logIn();
    receive(roomRecord(hostRoom({Gbk("bob")})));
    const auto sent = sentRecords();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(kinds(sent).back(), (Kind{2, 0}));
    for (std::size_t i = 0; i + 1 < sent.size(); ++i) {
        EXPECT_EQ(kinds({sent[i]}), (Kinds{{4, 16}}));
        EXPECT_EQ(sent[i].iparam1.get(), 0);
    }
    EXPECT_TRUE(w.CheckBox1.checked());
    EXPECT_FALSE(w.CheckBox1.visible());
}

class RoomExit : public RoomFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(RoomExit, SystemCloseIsRefusedAndEitherExitLeavesTheRoom) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    EXPECT_FALSE(w.window.requestClose());
    EXPECT_FALSE(headless_.main.window.requestClose());
    EXPECT_TRUE(sentRecords().empty());
    ASSERT_TRUE(GetParam() ? w.BitBtn3.click() : headless_.main.BitBtn4.click());
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 12}, {2, 0}}));
    EXPECT_EQ(sent[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(protocol::DecodeUser(sent[1]).location, kLobby);
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
}

INSTANTIATE_TEST_SUITE_P(RoomOrLobbyWindow, RoomExit, ::testing::Bool());

class RoomClosed : public RoomFixture {};

TEST_F(RoomClosed, ClosingOfTheOwnRoomLeavesAndEmptiesTheWindowAnotherLosesItsRow) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    const RoomRecord other = openRoom(Gbk("carol"), Gbk("R-carol"));
    receive(roomRecord(other));
    receive(roomRecord(other, sub::kRoomClosed));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(w.window.visible());
    EXPECT_FALSE(headless_.main.lvrooms.findCaption(other.roomno).has_value());

    w.MemSend.type(Gbk("half a line"));
    receive(roomRecord(room, sub::kRoomClosed));
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 12}, {2, 0}}));
    EXPECT_EQ(sent[0].sparam2.text(), Gbk("alice"));
    EXPECT_EQ(protocol::DecodeUser(sent[1]).location, kLobby);
    EXPECT_FALSE(w.window.visible());
    EXPECT_EQ(w.lvRoom.rowCount() + w.MemRecev.lineCount() + w.MemSend.lineCount(), 0);
    EXPECT_EQ(headless_.main.lvrooms.rowCount(), 0);
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
    EXPECT_EQ(headless_.main.prompt.caption(),
              zh<"用户:">() + Gbk("alice") + zh<" 位置:">() + kLobby);
}

}  // namespace
}  // namespace ardentis::forms::testing
