#include <chrono>

#include "game/game_end.h"
#include "game_start_fixture.h"

namespace ardentis::forms::testing {
namespace {

using namespace std::chrono_literals;
using text::Gbk;
using text::zh;

namespace sub = protocol::subcommand;

class GameEnd : public GameStartFixture {
  protected:
    // The server passes every room update to everybody in the lobby, its sender included.
    void echoRoomUpdates(const std::vector<protocol::LobbyMessage>& records) {
        for (const auto& update : ofKind(records, sub::kRoomUpdate)) {
            receive(update);
        }
    }

    protocol::RoomRecord hostAndStart() {
        logIn(Gbk("ab"));
        const protocol::RoomRecord room = hostRoom({Gbk("cd")});
        playerReady(room.roomno, Gbk("cd"), 0);
        headless_.battleroom.BitBtn2.click();
        steps(3);
        echoRoomUpdates(sentRecords());
        (void)sentRecords();
        return room;
    }
};

TEST_F(GameEnd, HostsReturnPutsTheRoomBackInOrder) {
    hostAndStart();
    loop_.advance(5000ms);
    EXPECT_TRUE(sentRecords().empty()) << "nothing happens while the window exists";
    machine_.gameWindows.close(taWindow_);
    const auto callsBefore = machine_.system.parameterCalls().size();
    loop_.advance(1000ms);
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records),
              (Kinds{{4, sub::kRoomChat}, {4, sub::kPlayerState}, {4, sub::kRoomUpdate}}));
    EXPECT_EQ(records[0].sparam1.text(), zh<"作战指挥室>>">() + Gbk("ab") + zh<"从战斗中返回。">());
    EXPECT_EQ(protocol::DecodeRoom(records[2]).status, Gbk("0"));
    ASSERT_GT(machine_.system.parameterCalls().size(), callsBefore);
    EXPECT_EQ(machine_.system.parameterCalls().back().value, 0U);  // task keys on
    EXPECT_FALSE(client_.FormBattleroom.taHook->watching());
    EXPECT_FALSE(client_.FormBattleroom.startSent);
    EXPECT_FALSE(client_.FormBattleroom.startGuard);
    EXPECT_TRUE(headless_.battleroom.CheckBox1.enabled());
    EXPECT_EQ(headless_.main.window.size(), (WindowSize{800, 600}));
    EXPECT_EQ(headless_.battleroom.window.size(), (WindowSize{640, 480}));
    loop_.advance(5000ms);
    EXPECT_TRUE(sentRecords().empty());  // once
}

TEST_F(GameEnd, AnotherRowStillInBattleKeepsTheRoomInBattle) {
    const auto room = hostAndStart();
    playerReady(room.roomno, Gbk("cd"), -1);
    (void)sentRecords();
    machine_.gameWindows.close(taWindow_);
    loop_.advance(1000ms);
    const auto updates = ofKind(sentRecords(), sub::kRoomUpdate);
    ASSERT_EQ(updates.size(), 1U);
    EXPECT_EQ(protocol::DecodeRoom(updates[0]).status, Gbk("1"));
}

TEST_F(GameEnd, ANewGameSendsANewStartRecord) {
    hostAndStart();
    machine_.gameWindows.close(taWindow_);
    loop_.advance(1000ms);
    echoRoomUpdates(sentRecords());
    playerReady(client_.connection()->lobby.myroom->info.roomno.gbk(), Gbk("cd"), 0);
    (void)sentRecords();
    ASSERT_TRUE(headless_.battleroom.BitBtn2.enabled());
    headless_.battleroom.BitBtn2.click();
    ASSERT_EQ(machine_.launcher.launches().size(), 2U);
    steps(3);
    EXPECT_EQ(ta_->screen(), platform::SimulatedTotalAnnihilation::Screen::Battleroom);
    EXPECT_EQ(ofKind(sentRecords(), sub::kGameStart).size(), 1U);
}

TEST_F(GameEnd, JoinersReadyBoxIsUncheckedAndEnabled) {
    logIn(Gbk("cd"));
    const auto room = joinRoom(Gbk("ab"));
    headless_.battleroom.CheckBox1.click();
    receive(gameStart(room.roomno, lan_.hosts[0], Gbk("ab")));
    receive(roomChat(room.roomno, zh<"作战指挥室>>ab开始进入战场，请稍候．">(), Gbk("ab")));
    ASSERT_FALSE(headless_.battleroom.CheckBox1.enabled());
    machine_.gameWindows.close(taWindow_);
    loop_.advance(1000ms);
    EXPECT_FALSE(headless_.battleroom.CheckBox1.checked());
    EXPECT_TRUE(headless_.battleroom.CheckBox1.enabled());
}

TEST(ReturnNotice, CutToThirtyFourBytes) {
    EXPECT_EQ(game::returnNotice(Gbk("ab")), Gbk("ab") + zh<"从战斗中返回。">());
    const Gbk longName("abcdefghijklmnopqrstuvw");  // 23 bytes: 11 left, five characters and a half
    const Gbk notice = game::returnNotice(longName);
    EXPECT_EQ(notice.size(), 34U);
    EXPECT_EQ(notice, (longName + zh<"从战斗中返回。">()).left(34));
}

}  // namespace
}  // namespace ardentis::forms::testing
