#include <chrono>

#include "game_start_fixture.h"

namespace ardentis::forms::testing {
namespace {

using namespace std::chrono_literals;
using platform::SimulatedTotalAnnihilation;
using Screen = SimulatedTotalAnnihilation::Screen;
using protocol::LobbyMessage;
using text::Gbk;
using text::zh;

namespace sub = protocol::subcommand;

constexpr std::uint32_t kFastTaskSwitch = 36;  // SPI_SETFASTTASKSWITCH

class HostStart : public GameStartFixture {
  protected:
    // ab hosts a room that cd has entered and made ready; ab presses 开始.
    protocol::RoomRecord startAsHost() {
        logIn(Gbk("ab"));
        const protocol::RoomRecord room = hostRoom({Gbk("cd")});
        playerReady(room.roomno, Gbk("cd"), 0);
        (void)sentRecords();
        EXPECT_TRUE(headless_.battleroom.BitBtn2.enabled()) << "开始 is not enabled";
        headless_.battleroom.BitBtn2.click();
        return room;
    }
};

TEST_F(HostStart, WritesTheHostFileOfTheWindowsOptions) {
    startAsHost();
    EXPECT_EQ(launchFile("tmphost.ini"),
              "[totala]\r\nwatching=2\r\nmapmode=2\r\nlocation=2\r\ncheats=1\r\nlos=1\r\n"
              "deathopt=2\r\nmetal=1000\r\nenergy=1000\r\nmaxunits=1500\r\nplayerlimit=10\r\n"
              "connect=1\r\naddress=10.140.3.4\r\npfs=3\r\nplayer=ab\r\npassword=\r\n"
              "session=ab's game\r\nprovider=MORVANE\r\nmission=" +
                  headless_.battleroom.MapList.text().bytes() +
                  "\r\ncreator=1\r\ntournment=1\r\nlockOptions=0\r\n");
}

TEST_F(HostStart, StartsTheModMaximisedWithTheHostFileAndTheGammaValue) {
    startAsHost();
    ASSERT_EQ(machine_.launcher.launches().size(), 1U);
    EXPECT_EQ(machine_.launcher.launches()[0],
              (platform::Launch{Gbk(std::string(kTaDir) + "totala.exe"), Gbk("-c tmphost.ini"),
                                platform::WindowMode::Maximized}));
    EXPECT_EQ(
        machine_.registry.kindOf(platform::RegistryHive::CurrentUser,
                                 "Software\\Cavedog Entertainment\\Total Annihilation", "gamma"),
        platform::RegistryValueKind::Dword);
    ASSERT_FALSE(machine_.system.parameterCalls().empty());
    EXPECT_EQ(machine_.system.parameterCalls()[0],
              (platform::SystemParameterCall{kFastTaskSwitch, 1}));
}

TEST_F(HostStart, SetsTheRoomInBattleAnnouncesAndSendsItsState) {
    const auto room = startAsHost();
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records),
              (Kinds{{4, sub::kRoomUpdate}, {4, sub::kRoomChat}, {4, sub::kPlayerState}}));
    EXPECT_EQ(protocol::DecodeRoom(records[0]).status, Gbk("1"));
    EXPECT_EQ(records[1].sparam1.text(),
              zh<"作战指挥室>>">() + Gbk("ab") + zh<"开始进入战场，请稍候．">());
    EXPECT_EQ(records[1].sparam2.text(), room.roomno.gbk());
}

TEST_F(HostStart, AutomationReachesTheBattleRoomAndOneStartRecordGoesOut) {
    const auto room = startAsHost();
    (void)sentRecords();
    steps(2);  // the connect dialog's OK, then the game's battle room
    ASSERT_EQ(ta_->screen(), Screen::Battleroom);
    steps(50);  // the battle room seen at every step
    const auto starts = ofKind(sentRecords(), sub::kGameStart);
    ASSERT_EQ(starts.size(), 1U);
    EXPECT_EQ(starts[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(starts[0].sparam2.text(), Gbk("10.140.3.4"));
    EXPECT_EQ(starts[0].sparam3.text(), Gbk("ab"));
    EXPECT_FALSE(headless_.battleroom.CheckBox1.enabled());
}

TEST_F(HostStart, SendTAstartOnEverySightingSendsOneRecord) {
    startAsHost();
    (void)sentRecords();
    for (int i = 0; i < 5; ++i) {
        client_.FormBattleroom.sendTAstart();
    }
    EXPECT_EQ(ofKind(sentRecords(), sub::kGameStart).size(), 1U);
}

TEST_F(HostStart, AJoinerSendsNoStartRecord) {
    logIn(Gbk("cd"));
    joinRoom(Gbk("ab"));
    client_.FormBattleroom.sendTAstart();
    EXPECT_TRUE(ofKind(sentRecords(), sub::kGameStart).empty());
    EXPECT_FALSE(client_.FormBattleroom.startSent);
}

TEST_F(HostStart, GameThatNeverOpensItsWindowIsGivenUpAndTheRoomPutBack) {
    gamesOpenWindows_ = false;
    logIn(Gbk("ab"));
    const protocol::RoomRecord room = hostRoom({Gbk("cd")});
    playerReady(room.roomno, Gbk("cd"), 0);
    (void)sentRecords();
    const auto before = loop_.now();
    headless_.battleroom.BitBtn2.click();  // returns: the window thread is not held forever

    EXPECT_GE(loop_.now() - before, 30s);
    EXPECT_LT(loop_.now() - before, 31s);
    ASSERT_FALSE(machine_.infoBox.shown.empty());
    EXPECT_EQ(machine_.infoBox.shown.back(), zh<"游戏没有启动，请检查游戏目录。">());
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records), (Kinds{{4, sub::kRoomUpdate}, {4, sub::kRoomUpdate}}));
    EXPECT_EQ(protocol::DecodeRoom(records[0]).status, Gbk("1"));
    EXPECT_EQ(protocol::DecodeRoom(records[1]).status, Gbk("0"));
    ASSERT_FALSE(machine_.system.parameterCalls().empty());
    EXPECT_EQ(machine_.system.parameterCalls().back().value, 0U);  // task keys on again
    EXPECT_FALSE(client_.FormBattleroom.autoClicker->running());
    EXPECT_FALSE(client_.FormBattleroom.taHook->watching());
}

TEST_F(HostStart, AGameThatOpensItsWindowLateIsWaitedFor) {
    gamesOpenWindows_ = false;
    logIn(Gbk("ab"));
    const protocol::RoomRecord room = hostRoom({Gbk("cd")});
    playerReady(room.roomno, Gbk("cd"), 0);
    (void)sentRecords();
    // The game is slow to come up: its window appears 20 s after the start.
    std::shared_ptr<SimulatedTotalAnnihilation> late;
    std::unique_ptr<platform::Timer> opening;
    machine_.launcher.onLaunch = [&](const platform::Launch&) {
        opening = loop_.createTimer(20'000, true, [&] {
            opening->setEnabled(false);
            late = std::make_shared<SimulatedTotalAnnihilation>(
                SimulatedTotalAnnihilation::Setup{true, Gbk("10.140.3.4"), Gbk("ab")});
            machine_.gameWindows.open(Gbk("Total Annihilation"), late);
        });
    };
    headless_.battleroom.BitBtn2.click();
    EXPECT_TRUE(machine_.infoBox.shown.empty());
    EXPECT_EQ(kinds(sentRecords()),
              (Kinds{{4, sub::kRoomUpdate}, {4, sub::kRoomChat}, {4, sub::kPlayerState}}));
    EXPECT_TRUE(client_.FormBattleroom.autoClicker->running());
}

TEST_F(HostStart, UnwritableLaunchFileStartsNothing) {
    logIn(Gbk("ab"));
    const protocol::RoomRecord room = hostRoom({Gbk("cd")});
    playerReady(room.roomno, Gbk("cd"), 0);
    (void)sentRecords();
    machine_.files.refuseWrites(Gbk(std::string(kTaDir) + "tmphost.ini"));
    headless_.battleroom.BitBtn2.click();
    EXPECT_TRUE(machine_.launcher.launches().empty());
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(machine_.system.parameterCalls().empty());
    EXPECT_EQ(machine_.infoBox.shown.size(), 1U);
}

}  // namespace
}  // namespace ardentis::forms::testing
