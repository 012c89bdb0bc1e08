// The battle room on the headless client: who may start, what the options send and show,
// what the server's room records do to it.
#include <gtest/gtest.h>

#include "headless_fixture.h"
#include "settings/options_store.h"

namespace ardentis::forms::testing {
namespace {

using protocol::DecodeRoom;

const Gbk kReady = zh<"就绪">();
const Gbk kWaiting = zh<"等待">();
const Gbk kLobby = zh<"大厅">();
const Gbk kCommandRoom = zh<"作战指挥室>>">();
const Kinds kOptions{{4, 15}};
const Kinds kOptionsAndRoom{{4, 15}, {4, 0}};

class Room : public HeadlessFixture {
  protected:
    [[nodiscard]] bool startEnabled() const { return battle_.BitBtn2.enabled(); }
    [[nodiscard]] std::vector<int> radios() const {
        const auto& w = battle_;
        return {w.RGcommander.itemIndex(), w.rglos.itemIndex(),     w.rgwatch.itemIndex(),
                w.RGcheat.itemIndex(),     w.RGMapmode.itemIndex(), w.rgpos.itemIndex()};
    }
};

TEST_F(Room, StartNeedsASecondRowAndEveryRowReady) {
    logIn();
    const RoomRecord room = hostRoom();
    EXPECT_EQ(readyMark(Gbk("alice")), kReady);
    EXPECT_TRUE(battle_.BitBtn2.visible());
    EXPECT_FALSE(startEnabled()) << "the creator alone";
    receive(userRecord(Gbk("bob"), kLobby));
    receive(memberRecord(room.roomno, Gbk("bob")));
    receive(memberRecord(room.roomno, Gbk("carol")));
    EXPECT_EQ(readyMark(Gbk("carol")), kReady) << "shown ready until his state arrives";
    EXPECT_TRUE(startEnabled());
    const int lines = battle_.MemRecev.lineCount();
    receive(memberRecord(room.roomno, Gbk("bob")));  // a second entry: no row, no line
    EXPECT_EQ(battle_.lvRoom.rowCount(), 3);
    EXPECT_EQ(battle_.MemRecev.lineCount(), lines);

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
        receive(roomMessage(sub::kRoomLeave, room.roomno, Gbk(leaver)));
        EXPECT_FALSE(battle_.lvRoom.findCaption(Gbk(leaver)).has_value());
        EXPECT_EQ(lastLine(battle_.MemRecev),
                  kCommandRoom + Gbk(leaver) + zh<"离开作战指挥室。">());
        EXPECT_EQ(startEnabled(), leaver == std::string("bob")) << leaver;
    }
}

TEST_F(Room, JoinerShowsTheHostsOptionsSuggestsMapsAndSendsHisReadyState) {
    logIn();
    RoomRecord room = joinRoom(Gbk("bob"), {Gbk("carol")});
    auto& w = battle_;
    EXPECT_EQ((Texts{readyMark(Gbk("bob")), readyMark(Gbk("carol")), readyMark(Gbk("alice"))}),
              (Texts{kReady, kWaiting, kWaiting}));
    EXPECT_EQ(lastLine(w.MemRecev), kCommandRoom + Gbk("alice") + zh<"进入作战指挥室。">());
    EXPECT_EQ(client_.currentUser.location, room.roomno.gbk());
    EXPECT_FALSE(w.BitBtn2.visible() || w.RGcommander.enabled());
    ASSERT_TRUE(w.MapList.choose(1));
    auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 5}}));
    EXPECT_EQ(sent[0].sparam1.text(), kCommandRoom + Gbk("alice") + zh<"建议使用">() +
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

    const Gbk mod = w.mods.text();
    room.comment = Gbk("fast game");
    room.map = Gbk("comet CATCHER");  // the case of a map name does not matter
    room.password = Gbk("pw");
    room.modcode = Gbk("ZZ");  // unknown: the mod selection stays
    room.maxplayers = 4;
    room.commander = room.los = 3;
    room.watch = room.mapmode = room.startpos = 1;
    room.cheat = 2;
    room.unitlimit = 20;
    room.metal = 5;
    room.energy = 0;
    receive(roomRecord(room, sub::kRoomOptions));
    EXPECT_EQ((Texts{w.gamecomments.text(), w.MapList.text(), w.pwd.text(), w.mods.text()}),
              (Texts{Gbk("fast game"), Gbk("Comet Catcher"), Gbk("pw"), mod}));
    EXPECT_EQ(radios(), (std::vector<int>{2, 2, 0, 1, 0, 0}));
    EXPECT_EQ((Texts{w.lplayers.caption(), w.llimited.caption(), w.Lmetal.caption(),
                     w.Lenergy.caption()}),
              (Texts{Gbk("4"), Gbk("1000"), Gbk("5000"), Gbk("0")}));
    EXPECT_TRUE(sentRecords().empty());
    room.maxplayers = 2;  // below the players: refused on his window too
    receive(roomRecord(room, sub::kRoomOptions));
    EXPECT_EQ(shown_, Texts{zh<"玩家数量不能再少了。">()});
    EXPECT_EQ(w.Trackplayers.position(), 3);
    EXPECT_TRUE(sentRecords().empty());

    // A missing map is announced and the ready mark withdrawn.
    ASSERT_TRUE(w.CheckBox1.click());
    (void)sentRecords();
    room.map = Gbk("Ice Age");
    receive(roomRecord(room, sub::kRoomOptions));
    sent = sentRecords();
    ASSERT_GE(sent.size(), 2U);
    EXPECT_EQ(sent[0].sparam1.text(),
              kCommandRoom + Gbk("alice") + zh<"没有">() + Gbk("Ice Age") + zh<"这个地图。">());
    EXPECT_EQ(kinds({sent.back()}), (Kinds{{4, 16}}));
    EXPECT_EQ(sent.back().iparam1.get(), 1);
    EXPECT_FALSE(w.CheckBox1.checked());
    EXPECT_EQ(readyMark(Gbk("alice")), kWaiting);
    EXPECT_EQ(w.MapList.text(), Gbk("Comet Catcher")) << "the choice is kept";
}

// The host ignores his own options coming back; only an update of his own room (never
// another's) marks him ready and touches the window.
TEST_F(Room, UpdateOfAnotherRoomLeavesTheOwnRoomAndItsStartButtonAlone) {
    logIn();
    const RoomRecord room = hostRoom({Gbk("bob")});
    ASSERT_TRUE(startEnabled());
    const auto before = radios();
    RoomRecord echo = room;
    echo.commander = 3;
    echo.map = Gbk("Ice Age");
    echo.metal = 9;
    receive(roomRecord(echo, sub::kRoomOptions));
    EXPECT_EQ(radios(), before);
    EXPECT_EQ(battle_.MapList.itemIndex(), 0);
    EXPECT_EQ(battle_.Trackmetal.position(), 1);

    RoomRecord other = openRoom(Gbk("carol"), Gbk("R-carol"));
    receive(roomRecord(other));
    other.comment = Gbk("changed");
    receive(roomRecord(other));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(startEnabled());
    EXPECT_EQ(main_.lvrooms.subItem(1, 2), Gbk("changed"));

    receive(roomRecord(room));
    const auto sent = sentRecords();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(kinds({sent.back()}), (Kinds{{2, 0}}));
    for (std::size_t i = 0; i + 1 < sent.size(); ++i) {
        EXPECT_EQ(kinds({sent[i]}), (Kinds{{4, 16}}));
        EXPECT_EQ(sent[i].iparam1.get(), 0);
    }
    EXPECT_TRUE(battle_.CheckBox1.checked());
    EXPECT_FALSE(battle_.CheckBox1.visible());
}

// A new room carries fixed option values whatever the controls show, until the host's
// first change; then radios and sliders send the options, the rest also the room.
TEST_F(Room, CreationCarriesFixedOptionValuesThenEachChangeSendsTheControls) {
    machine_.registry.setText(platform::RegistryHive::CurrentUser, settings::kOptionsSection,
                              "vnntype", Gbk("1"));
    logIn();
    ASSERT_TRUE(main_.BitBtn2.click());
    auto& w = battle_;
    w.rglos.click(2);
    w.rgwatch.click(0);
    w.Trackmetal.drag(7);
    w.Trackplayers.drag(6);
    w.MapList.choose(2);
    w.pwd.type(Gbk("pw"));
    w.gamecomments.setText(Gbk("come"));
    EXPECT_TRUE(sentRecords().empty()) << "no room yet: option changes send nothing";
    ASSERT_TRUE(w.BitBtn1.click());  // no virtual-LAN address
    EXPECT_EQ(shown_, Texts{zh<"请确保您在选项中选择的虚拟局域网软件保持在线！">()});
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_FALSE(inRoom());

    machine_.setVirtualLanAddress(5, 6, 7, 8);
    ASSERT_TRUE(w.BitBtn1.click());
    auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 0}, {2, 0}}));
    RoomRecord room = DecodeRoom(sent[0]);
    EXPECT_EQ((std::vector<int>{room.commander, room.los, room.watch, room.cheat, room.mapmode,
                                room.startpos, room.unitlimit, room.metal, room.energy,
                                room.maxplayers, room.nettype}),
              (std::vector<int>{2, 1, 2, 1, 2, 2, 30, 1, 1, 6, 1}));
    EXPECT_EQ((Texts{room.host, room.map, room.password, room.comment, room.modcode}),
              (Texts{Gbk("alice"), Gbk("Shore to Shore"), Gbk("pw"), Gbk("come"), Gbk("00")}));
    EXPECT_EQ(room.roomno.size(), 19U);
    EXPECT_EQ(protocol::DecodeUser(sent[1]).location, room.roomno.gbk());
    EXPECT_FALSE(w.BitBtn1.enabled() || w.mods.enabled());

    w.RGcommander.click(0);
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), kOptions);
    room = DecodeRoom(sent[0]);
    EXPECT_EQ((std::vector<int>{room.commander, room.los, room.metal, room.nettype}),
              (std::vector<int>{1, 3, 7, 1}));
    EXPECT_EQ(room.roomref, room.roomno.gbk());
    for (MemoryRadioGroup* group : {&w.rglos, &w.rgwatch, &w.RGcheat, &w.RGMapmode, &w.rgpos}) {
        ASSERT_TRUE(group->click(group->itemIndex() == 0 ? 1 : 0));
        EXPECT_EQ(kinds(sentRecords()), kOptions);
    }
    for (MemorySlider* slider : {&w.Trackulimited, &w.Trackmetal, &w.Trackenergy}) {
        ASSERT_TRUE(slider->drag(5));
        EXPECT_EQ(kinds(sentRecords()), kOptions);
    }
    ASSERT_TRUE(w.Trackplayers.drag(8));
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), kOptionsAndRoom);
    EXPECT_EQ(DecodeRoom(sent[1]).maxplayers, 8);
    w.pwd.type(Gbk("x"));
    EXPECT_EQ(kinds(sentRecords()), kOptionsAndRoom);
    w.MapList.choose(1);
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), kOptionsAndRoom);
    EXPECT_EQ(DecodeRoom(sent[1]).map, Gbk("Comet Catcher"));
}

TEST_F(Room, CreationWithoutTheModIsRefused) {
    start(true, true);
    acceptLogin();
    (void)sentRecords();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    main_.BitBtn2.click();
    battle_.BitBtn1.click();
    EXPECT_EQ(shown_, Texts{zh<"你还没有安装">() + zh<"，请到">() +
                            Gbk("http://ardentis.invalid/") + zh<"下载对应的mod版本。">()});
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(battle_.BitBtn1.enabled());
}

// ... and a limit below the players is refused and the correction sent.
TEST_F(Room, ACreatorWhoWasAJoinerBeforeMayChangeLimitAndDescription) {
    logIn();
    (void)joinRoom(Gbk("dave"));
    battle_.BitBtn3.click();
    (void)hostRoom({Gbk("bob"), Gbk("carol")});
    shown_.clear();
    battle_.Trackplayers.drag(2);
    EXPECT_EQ(shown_, Texts{zh<"玩家数量不能再少了。">()});
    EXPECT_EQ(battle_.Trackplayers.position(), 3);
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), kOptionsAndRoom);
    EXPECT_EQ(DecodeRoom(sent[0]).maxplayers, 3);
    ASSERT_TRUE(battle_.Trackplayers.drag(4));
    EXPECT_EQ(kinds(sentRecords()), kOptionsAndRoom);
    battle_.gamecomments.setText(Gbk("again"));
    EXPECT_EQ(kinds(sentRecords()), kOptionsAndRoom);
}

class RoomExit : public Room, public ::testing::WithParamInterface<bool> {};

TEST_P(RoomExit, SystemCloseIsRefusedAndEitherExitLeavesTheRoom) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    EXPECT_FALSE(battle_.window.requestClose() || main_.window.requestClose());
    EXPECT_TRUE(sentRecords().empty());
    ASSERT_TRUE(GetParam() ? battle_.BitBtn3.click() : main_.BitBtn4.click());
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 12}, {2, 0}}));
    EXPECT_EQ(sent[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(protocol::DecodeUser(sent[1]).location, kLobby);
    EXPECT_FALSE(inRoom());
}

INSTANTIATE_TEST_SUITE_P(RoomOrLobbyWindow, RoomExit, ::testing::Bool());

TEST_F(Room, ClosingOfTheOwnRoomLeavesAndEmptiesTheWindowAnotherLosesItsRow) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    const RoomRecord other = openRoom(Gbk("carol"), Gbk("R-carol"));
    receive(roomRecord(other));
    receive(roomRecord(other, sub::kRoomClosed));
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(battle_.window.visible());
    EXPECT_FALSE(main_.lvrooms.findCaption(other.roomno).has_value());

    battle_.MemSend.type(Gbk("half a line"));
    receive(roomRecord(room, sub::kRoomClosed));
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 12}, {2, 0}}));
    EXPECT_EQ(sent[0].sparam2.text(), Gbk("alice"));
    EXPECT_FALSE(battle_.window.visible());
    EXPECT_EQ(battle_.lvRoom.rowCount() + battle_.MemRecev.lineCount() +
                  battle_.MemSend.lineCount() + main_.lvrooms.rowCount(),
              0);
    EXPECT_FALSE(inRoom());
    EXPECT_EQ(main_.prompt.caption(), zh<"用户:">() + Gbk("alice") + zh<" 位置:">() + kLobby);
}

}  // namespace
}  // namespace ardentis::forms::testing
