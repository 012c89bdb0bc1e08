#include <chrono>
#include <ostream>
#include <string>

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
    // ab hosts a room that cd has entered and made ready.
    protocol::RoomRecord readyToStart() {
        logIn(Gbk("ab"));
        const protocol::RoomRecord room = hostRoom({Gbk("cd")});
        playerReady(room.roomno, Gbk("cd"), 0);
        (void)sentRecords();
        EXPECT_TRUE(headless_.battleroom.BitBtn2.enabled()) << "开始 is not enabled";
        return room;
    }
    // The room went into battle and back, and the task keys are on again.
    void expectRoomPutBack() {
        const auto records = sentRecords();
        ASSERT_EQ(kinds(records), (Kinds{{4, sub::kRoomUpdate}, {4, sub::kRoomUpdate}}));
        EXPECT_EQ(protocol::DecodeRoom(records[0]).status, Gbk("1"));
        EXPECT_EQ(protocol::DecodeRoom(records[1]).status, Gbk("0"));
        ASSERT_FALSE(machine_.system.parameterCalls().empty());
        EXPECT_EQ(machine_.system.parameterCalls().back().value, 0U);
    }
    // ... and presses 开始.
    protocol::RoomRecord startAsHost() {
        const protocol::RoomRecord room = readyToStart();
        headless_.battleroom.BitBtn2.click();
        return room;
    }
};

// The host file as the window's defaults write it, with `line` (e.g. "los=1") replaced.
std::string hostFileWith(const std::string& line, const std::string& replacement,
                         const std::string& map) {
    std::string file =
        "[totala]\r\nwatching=2\r\nmapmode=2\r\nlocation=2\r\ncheats=1\r\nlos=1\r\n"
        "deathopt=2\r\nmetal=1000\r\nenergy=1000\r\nmaxunits=1500\r\nplayerlimit=10\r\n"
        "connect=1\r\naddress=10.140.3.4\r\npfs=3\r\nplayer=ab\r\npassword=\r\n"
        "session=ab's game\r\nprovider=MORVANE\r\nmission=" +
        map + "\r\ncreator=1\r\ntournment=1\r\nlockOptions=0\r\n";
    if (!line.empty()) {
        const auto at = file.find("\n" + line + "\r");
        EXPECT_NE(at, std::string::npos) << line;
        file.replace(at + 1, line.size(), replacement);
    }
    return file;
}

// Each radio option away from its default, one at a time: the defaults share their
// values, so only this tells which option each line is written from.
struct RadioLine {
    const char* name;
    MemoryRadioGroup MemoryBattleroomWindow::*group;
    int index;
    const char* line;         // as the defaults write it
    const char* replacement;  // as the chosen item writes it
};

void PrintTo(const RadioLine& radio, std::ostream* os) {
    *os << radio.name;
}

class HostFileRadio : public HostStart, public ::testing::WithParamInterface<RadioLine> {};

TEST_P(HostFileRadio, WritesTheChosenItemOnItsOwnLine) {
    readyToStart();
    (headless_.battleroom.*GetParam().group).click(GetParam().index);
    headless_.battleroom.BitBtn2.click();
    EXPECT_EQ(launchFile("tmphost.ini"), hostFileWith(GetParam().line, GetParam().replacement,
                                                      headless_.battleroom.MapList.text().bytes()));
}

INSTANTIATE_TEST_SUITE_P(
    EveryGroup, HostFileRadio,
    ::testing::Values(
        RadioLine{"commander", &MemoryBattleroomWindow::RGcommander, 2, "deathopt=2", "deathopt=3"},
        RadioLine{"los", &MemoryBattleroomWindow::rglos, 2, "los=1", "los=3"},
        RadioLine{"watch", &MemoryBattleroomWindow::rgwatch, 0, "watching=2", "watching=1"},
        RadioLine{"cheat", &MemoryBattleroomWindow::RGcheat, 1, "cheats=1", "cheats=2"},
        RadioLine{"mapmode", &MemoryBattleroomWindow::RGMapmode, 0, "mapmode=2", "mapmode=1"},
        RadioLine{"startpos", &MemoryBattleroomWindow::rgpos, 0, "location=2", "location=1"}),
    [](const ::testing::TestParamInfo<RadioLine>& radio) { return radio.param.name; });

TEST_F(HostStart, OptionsChangedBeforeAPlayerJoinsSurviveHisEntry) {
    logIn(Gbk("ab"));
    const protocol::RoomRecord room = hostRoom();
    MemoryBattleroomWindow& w = headless_.battleroom;
    w.RGcommander.click(0);
    w.Trackmetal.drag(7);
    (void)sentRecords();

    receive(userRecord(Gbk("cd"), zh<"大厅">()));
    receive(memberRecord(room.roomno, Gbk("cd")));
    EXPECT_EQ(w.RGcommander.itemIndex(), 0);
    EXPECT_EQ(w.Trackmetal.position(), 7);
    // The newcomer is told the options as they are now.
    const auto options = ofKind(sentRecords(), sub::kRoomOptions);
    ASSERT_EQ(options.size(), 1U);
    EXPECT_EQ(protocol::DecodeRoom(options[0]).commander, 1);
    EXPECT_EQ(protocol::DecodeRoom(options[0]).metal, 7);

    playerReady(room.roomno, Gbk("cd"), 0);
    w.BitBtn2.click();
    const std::string file = launchFile("tmphost.ini");
    EXPECT_NE(file.find("\r\ndeathopt=1\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\nmetal=7000\r\n"), std::string::npos) << file;
}

TEST_F(HostStart, SetsTheRoomInBattleAndStartsTheModWithTheHostFileAndTheGammaValue) {
    const auto room = startAsHost();
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records),
              (Kinds{{4, sub::kRoomUpdate}, {4, sub::kRoomChat}, {4, sub::kPlayerState}}));
    EXPECT_EQ(protocol::DecodeRoom(records[0]).status, Gbk("1"));
    EXPECT_EQ(records[1].sparam1.text(),
              zh<"作战指挥室>>">() + Gbk("ab") + zh<"开始进入战场，请稍候．">());
    EXPECT_EQ(launchFile("tmphost.ini"),
              hostFileWith("", "", headless_.battleroom.MapList.text().bytes()));
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

TEST_F(HostStart, AutomationReachesTheBattleRoomAndOneStartRecordGoesOut) {
    const auto room = startAsHost();
    (void)sentRecords();
    steps(2);  // the connect dialog's OK, then the game's battle room
    ASSERT_EQ(ta_->screen(), Screen::Battleroom);
    for (int i = 0; i < 5; ++i) {
        client_.FormBattleroom.sendTAstart();  // every sighting of the battle room
    }
    receive(roomRecord(client_.connection()->lobby.myroom->info));  // a player dropped out
    steps(50);
    const auto starts = ofKind(sentRecords(), sub::kGameStart);
    ASSERT_EQ(starts.size(), 1U);
    EXPECT_EQ(starts[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(starts[0].sparam2.text(), Gbk("10.140.3.4"));
    EXPECT_EQ(starts[0].sparam3.text(), Gbk("ab"));
    EXPECT_FALSE(headless_.battleroom.CheckBox1.enabled());
}

TEST_F(HostStart, TheRoomCannotBeLeftWhileTheGameRuns) {
    startAsHost();
    (void)sentRecords();
    ASSERT_TRUE(headless_.battleroom.BitBtn3.click());  // 退出
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(headless_.battleroom.window.visible());
    EXPECT_NE(client_.connection()->lobby.myroom, nullptr);

    machine_.gameWindows.close(taWindow_);
    ASSERT_TRUE(headless_.battleroom.BitBtn3.click());
    EXPECT_EQ(kinds(sentRecords()).front(), (Kind{4, sub::kRoomLeave}));
    EXPECT_FALSE(headless_.battleroom.window.visible());
}

TEST_F(HostStart, GameThatNeverOpensItsWindowIsGivenUpAndTheRoomPutBack) {
    gamesOpenWindows_ = false;
    readyToStart();
    const auto before = loop_.now();
    headless_.battleroom.BitBtn2.click();  // returns: the window thread is not held forever

    EXPECT_GE(loop_.now() - before, 30s);
    EXPECT_LT(loop_.now() - before, 31s);
    ASSERT_FALSE(machine_.infoBox.shown.empty());
    EXPECT_EQ(machine_.infoBox.shown.back(), zh<"游戏没有启动，请检查游戏目录。">());
    expectRoomPutBack();
    EXPECT_FALSE(client_.FormBattleroom.autoClicker->running());
    EXPECT_FALSE(client_.FormBattleroom.taHook->watching());
}

TEST_F(HostStart, AGameTheShellRefusesIsReportedAtOnceAndTheRoomPutBack) {
    readyToStart();
    machine_.launcher.refusal = platform::OsError{"ShellExecuteW", 2};
    const auto before = loop_.now();
    headless_.battleroom.BitBtn2.click();

    EXPECT_LT(loop_.now() - before, 1s) << "waited for a window that can never come";
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"无法启动游戏：">() + Gbk(std::string(kTaDir)) +
                                             Gbk("totala.exe (ShellExecuteW failed with 2)"));
    expectRoomPutBack();
}

TEST_F(HostStart, AGameThatOpensItsWindowLateIsWaitedFor) {
    gamesOpenWindows_ = false;
    readyToStart();
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
    readyToStart();
    machine_.files.refuseWrites(Gbk(std::string(kTaDir) + "tmphost.ini"));
    headless_.battleroom.BitBtn2.click();
    EXPECT_TRUE(machine_.launcher.launches().empty());
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(machine_.system.parameterCalls().empty());
    EXPECT_EQ(machine_.infoBox.shown.size(), 1U);
}

}  // namespace
}  // namespace ardentis::forms::testing
