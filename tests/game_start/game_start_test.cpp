// A game's start, watch and end on a whole headless client against simulated games.
#include <chrono>
#include <memory>
#include <string>

#include "game/game_end.h"
#include "headless_fixture.h"
#include "platform/fake/simulated_supreme_commander.h"
#include "platform/fake/simulated_total_annihilation.h"
#include "settings/options_store.h"

namespace ardentis::forms::testing {
namespace {

using namespace std::chrono_literals;
using platform::SimulatedTotalAnnihilation;
using Screen = SimulatedTotalAnnihilation::Screen;
using protocol::DecodeRoom;
using protocol::RoomRecord;
using text::Gbk;
using text::zh;

constexpr std::uint32_t kFastTaskSwitch = 36;  // SPI_SETFASTTASKSWITCH
const Gbk kHostAddress("5.6.7.8");             // only ever written into launch files and records
const Kinds kStartRecords{{4, sub::kRoomUpdate}, {4, sub::kRoomChat}, {4, sub::kPlayerState}};
const Kinds kEndRecords{{4, sub::kRoomChat}, {4, sub::kPlayerState}, {4, sub::kRoomUpdate}};

// The host file as the window's defaults write it, with `line` (e.g. "los=1") replaced.
std::string hostFile(const std::string& map, const std::string& line = {},
                     const std::string& replacement = {}) {
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

// A machine whose started Total Annihilation reads its launch file and opens its window
// at once (unless opensWindow_ is false).
class GameStart : public HeadlessFixture {
  protected:
    GameStart() {
        machine_.launcher.onLaunch = [this](const platform::Launch& launch) {
            auto setup = SimulatedTotalAnnihilation::readLaunchFile(machine_.files, launch.path,
                                                                    launch.parameters);
            if (setup && opensWindow_) {
                ta_ = std::make_shared<SimulatedTotalAnnihilation>(*setup);
                taWindow_ = machine_.gameWindows.open(Gbk("Total Annihilation"), ta_);
            }
        };
    }
    // ab hosts a room that cd has entered and made ready.
    RoomRecord readyToStart() {
        logIn(Gbk("ab"));
        const RoomRecord room = hostRoom({Gbk("cd")});
        receive(playerState(room.roomno, Gbk("cd"), 0));
        (void)sentRecords();
        EXPECT_TRUE(battle_.BitBtn2.enabled()) << "开始 is not enabled";
        return room;
    }
    // ... and starts; the game reaches its battle room, the server echoes the updates.
    RoomRecord startAsHost() {
        const RoomRecord room = readyToStart();
        battle_.BitBtn2.click();
        steps(3);
        for (const auto& update : ofKind(sentRecords(), sub::kRoomUpdate)) {
            receive(update);
        }
        (void)sentRecords();
        return room;
    }
    void steps(int count) { loop_.advance(std::chrono::milliseconds(10 * count)); }
    void closeTheGame() {
        machine_.gameWindows.close(taWindow_);
        loop_.advance(1000ms);
    }
    [[nodiscard]] std::string launchFile(const char* name) const {
        return machine_.files.readFile(Gbk(kTaDir) + Gbk(name)).value_or("<missing>");
    }
    [[nodiscard]] static protocol::LobbyMessage gameStart(const Gbk& roomno,
                                                          const Gbk& address = kHostAddress) {
        return roomMessage(sub::kGameStart, roomno, address, Gbk("ab"));
    }
    // The room went into battle and back, and the task keys are on again.
    void expectRoomPutBack() {
        const auto records = sentRecords();
        ASSERT_EQ(kinds(records), (Kinds{{4, sub::kRoomUpdate}, {4, sub::kRoomUpdate}}));
        EXPECT_EQ(DecodeRoom(records[0]).status, Gbk("1"));
        EXPECT_EQ(DecodeRoom(records[1]).status, Gbk("0"));
        ASSERT_FALSE(machine_.system.parameterCalls().empty());
        EXPECT_EQ(machine_.system.parameterCalls().back().value, 0U);
    }

    std::shared_ptr<SimulatedTotalAnnihilation> ta_;
    platform::WindowHandle taWindow_ = platform::kNoWindow;
    bool opensWindow_ = true;
};

// Each radio option away from its default, one at a time: the defaults share their
// values, so only this tells which option each line is written from.
struct RadioLine {
    const char* name;
    MemoryRadioGroup MemoryBattleroomWindow::*group;
    int index;
    const char* line;         // as the defaults write it
    const char* replacement;  // as the chosen item writes it
};

class HostFileRadio : public GameStart, public ::testing::WithParamInterface<RadioLine> {};

TEST_P(HostFileRadio, WritesTheChosenItemOnItsOwnLine) {
    readyToStart();
    (battle_.*GetParam().group).click(GetParam().index);
    battle_.BitBtn2.click();
    EXPECT_EQ(launchFile("tmphost.ini"),
              hostFile(battle_.MapList.text().bytes(), GetParam().line, GetParam().replacement));
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

TEST_F(GameStart, OptionsChangedBeforeAPlayerJoinsSurviveHisEntry) {
    logIn(Gbk("ab"));
    const RoomRecord room = hostRoom();
    battle_.RGcommander.click(0);
    battle_.Trackmetal.drag(7);
    (void)sentRecords();
    receive(userRecord(Gbk("cd"), zh<"大厅">()));
    receive(memberRecord(room.roomno, Gbk("cd")));
    EXPECT_EQ(battle_.RGcommander.itemIndex(), 0);
    EXPECT_EQ(battle_.Trackmetal.position(), 7);
    const auto options = ofKind(sentRecords(), sub::kRoomOptions);  // told to the newcomer
    ASSERT_EQ(options.size(), 1U);
    EXPECT_EQ(DecodeRoom(options[0]).commander, 1);
    EXPECT_EQ(DecodeRoom(options[0]).metal, 7);

    receive(playerState(room.roomno, Gbk("cd"), 0));
    battle_.BitBtn2.click();
    const std::string file = launchFile("tmphost.ini");
    EXPECT_NE(file.find("\r\ndeathopt=1\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\nmetal=7000\r\n"), std::string::npos) << file;
}

TEST_F(GameStart, HostStartsTheModWithTheHostFileAndGammaAndSendsOneStartRecord) {
    const RoomRecord room = readyToStart();
    battle_.BitBtn2.click();
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records), kStartRecords);
    EXPECT_EQ(DecodeRoom(records[0]).status, Gbk("1"));
    EXPECT_EQ(records[1].sparam1.text(),
              zh<"作战指挥室>>">() + Gbk("ab") + zh<"开始进入战场，请稍候．">());
    EXPECT_EQ(launchFile("tmphost.ini"), hostFile(battle_.MapList.text().bytes()));
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
    EXPECT_FALSE(battle_.CheckBox1.enabled());
}

TEST_F(GameStart, TheRoomCannotBeLeftWhileTheGameRunsAndTheHostsReturnPutsItBack) {
    const RoomRecord room = startAsHost();
    ASSERT_TRUE(battle_.BitBtn3.click());  // 退出
    loop_.advance(5000ms);
    EXPECT_TRUE(sentRecords().empty()) << "nothing happens while the game runs";
    EXPECT_TRUE(battle_.window.visible());
    EXPECT_NE(client_.connection()->lobby.myroom, nullptr);

    const auto callsBefore = machine_.system.parameterCalls().size();
    closeTheGame();
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records), kEndRecords);
    EXPECT_EQ(records[0].sparam1.text(), zh<"作战指挥室>>">() + Gbk("ab") + zh<"从战斗中返回。">());
    EXPECT_EQ(DecodeRoom(records[2]).status, Gbk("0"));
    ASSERT_GT(machine_.system.parameterCalls().size(), callsBefore);
    EXPECT_EQ(machine_.system.parameterCalls().back().value, 0U);  // task keys on
    EXPECT_FALSE(client_.FormBattleroom.taHook->watching());
    EXPECT_FALSE(client_.FormBattleroom.startSent || client_.FormBattleroom.startGuard);
    EXPECT_TRUE(battle_.CheckBox1.enabled());
    EXPECT_EQ(main_.window.size(), (WindowSize{800, 600}));
    EXPECT_EQ(battle_.window.size(), (WindowSize{640, 480}));
    loop_.advance(5000ms);
    EXPECT_TRUE(sentRecords().empty()) << "the end is seen once";

    // A new game sends a new start record; another row still in battle at its end keeps
    // the room in battle.
    for (const auto& update : ofKind(records, sub::kRoomUpdate)) {
        receive(update);
    }
    receive(playerState(room.roomno, Gbk("cd"), 0));
    (void)sentRecords();
    ASSERT_TRUE(battle_.BitBtn2.enabled());
    battle_.BitBtn2.click();
    ASSERT_EQ(machine_.launcher.launches().size(), 2U);
    steps(3);
    EXPECT_EQ(ta_->screen(), Screen::Battleroom);
    EXPECT_EQ(ofKind(sentRecords(), sub::kGameStart).size(), 1U);
    receive(playerState(room.roomno, Gbk("cd"), -1));
    closeTheGame();
    const auto updates = ofKind(sentRecords(), sub::kRoomUpdate);
    ASSERT_EQ(updates.size(), 1U);
    EXPECT_EQ(DecodeRoom(updates[0]).status, Gbk("1"));
}

TEST_F(GameStart, TheWaitForTheWindowIsBoundedThenTheRoomIsPutBackButALateWindowCounts) {
    opensWindow_ = false;
    readyToStart();
    const auto before = loop_.now();
    battle_.BitBtn2.click();  // returns: the window thread is not held forever
    EXPECT_GE(loop_.now() - before, 30s);
    EXPECT_LT(loop_.now() - before, 31s);
    EXPECT_EQ(shown_, Texts{zh<"游戏没有启动，请检查游戏目录。">()});
    expectRoomPutBack();
    EXPECT_FALSE(client_.FormBattleroom.autoClicker->running());
    EXPECT_FALSE(client_.FormBattleroom.taHook->watching());

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
    shown_.clear();
    battle_.BitBtn2.click();
    EXPECT_TRUE(shown_.empty());
    EXPECT_EQ(kinds(sentRecords()), kStartRecords);
    EXPECT_TRUE(client_.FormBattleroom.autoClicker->running());
}

// A game the shell refuses is reported at once; an unwritable launch file starts nothing.
TEST_F(GameStart, AGameTheShellRefusesIsReportedAtOnceAndTheRoomPutBack) {
    readyToStart();
    machine_.launcher.refusal = platform::OsError{"ShellExecuteW", 2};
    const auto before = loop_.now();
    battle_.BitBtn2.click();
    EXPECT_LT(loop_.now() - before, 1s) << "waited for a window that can never come";
    EXPECT_EQ(shown_, Texts{zh<"无法启动游戏：">() + Gbk(std::string(kTaDir)) +
                            Gbk("totala.exe (ShellExecuteW failed with 2)")});
    expectRoomPutBack();

    machine_.files.refuseWrites(Gbk(std::string(kTaDir) + "tmphost.ini"));
    const auto calls = machine_.system.parameterCalls().size();
    battle_.BitBtn2.click();
    EXPECT_EQ(machine_.launcher.launches().size(), 1U);
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_EQ(machine_.system.parameterCalls().size(), calls);
    EXPECT_EQ(shown_.size(), 2U);
}

TEST_F(GameStart, JoinerStartsOnItsRoomsStartRecordWithTheHostsAddressAndFollowsTheHost) {
    logIn(Gbk("cd"));
    const RoomRecord room = joinRoom(Gbk("ab"));
    receive(gameStart(Gbk("R-elsewhere")));
    EXPECT_TRUE(machine_.launcher.launches().empty()) << "another room's start";
    EXPECT_TRUE(client_.options.hostip.empty());
    EXPECT_EQ(launchFile("tmpclient.ini"), "<missing>");

    battle_.CheckBox1.click();  // ready
    (void)sentRecords();
    receive(gameStart(room.roomno));
    EXPECT_EQ(client_.options.hostip, kHostAddress);
    EXPECT_EQ(launchFile("tmpclient.ini"),
              "[totala]\r\nconnect=1\r\naddress=5.6.7.8\r\npfs=3\r\nplayer=cd\r\npassword=\r\n"
              "creator=0\r\n");
    ASSERT_TRUE(ta_);
    EXPECT_FALSE(ta_->setup().host);
    EXPECT_EQ(ta_->setup().address, kHostAddress);  // what the game read at its start
    ASSERT_EQ(machine_.launcher.launches().size(), 1U);
    EXPECT_EQ(machine_.launcher.launches()[0].parameters, Gbk("-c tmpclient.ini"));
    EXPECT_EQ(machine_.launcher.launches()[0].mode, platform::WindowMode::Maximized);
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records), (Kinds{{4, sub::kRoomChat}, {4, sub::kPlayerState}}));
    EXPECT_EQ(records[0].sparam1.text(),
              zh<"作战指挥室>>">() + Gbk("cd") + zh<"开始进入战场，请稍候．">());
    EXPECT_EQ(records[1].iparam1.get(), -1);  // ready and in a game: 战斗
    EXPECT_EQ(readyMark(Gbk("cd")), zh<"战斗">());
    steps(3);  // connect dialog, game list (join), the host's battle room
    EXPECT_EQ(ta_->screen(), Screen::Battleroom);
    ta_->everyoneReady();
    steps(1);
    EXPECT_EQ(ta_->screen(), Screen::Battle);
    EXPECT_TRUE(ofKind(sentRecords(), sub::kGameStart).empty());  // only a host sends it

    // The game's end unchecks and enables the ready box; the next uses the next address.
    receive(roomChat(room.roomno, zh<"作战指挥室>>ab开始进入战场，请稍候．">(), Gbk("ab")));
    ASSERT_FALSE(battle_.CheckBox1.enabled());
    closeTheGame();
    EXPECT_FALSE(battle_.CheckBox1.checked());
    EXPECT_TRUE(battle_.CheckBox1.enabled());
    receive(gameStart(room.roomno, Gbk("10.140.9.9")));
    EXPECT_EQ(ta_->setup().address, Gbk("10.140.9.9"));
}

TEST_F(GameStart, StartsTheRoomsModEvenOneInstalledAfterStartUp) {
    logIn(Gbk("cd"));
    machine_.files.addFile(Gbk(std::string(kTaDir) + "TA33A.exe"));
    RoomRecord room = openRoom(Gbk("ab"), Gbk("R-ab"));
    room.modcode = Gbk("21");
    room.modname = Gbk("TA33A");
    (void)joinRoom(room);
    receive(gameStart(room.roomno));
    ASSERT_EQ(machine_.launcher.launches().size(), 1U);
    EXPECT_EQ(machine_.launcher.launches()[0].path, Gbk(std::string(kTaDir) + "TA33A.exe"));
}

TEST(ReturnNotice, CutToThirtyFourBytes) {
    EXPECT_EQ(game::returnNotice(Gbk("ab")), Gbk("ab") + zh<"从战斗中返回。">());
    const Gbk longName("abcdefghijklmnopqrstuvw");  // 23 bytes: 11 left, five characters and a half
    EXPECT_EQ(game::returnNotice(longName), (longName + zh<"从战斗中返回。">()).left(34));
    EXPECT_EQ(game::returnNotice(longName).size(), 34U);
}

// Supreme Commander beside Total Annihilation; a started one opens its window at once and,
// when hosting, takes its port once the test says so.
class SupremeCommanderStart : public GameStart {
  protected:
    static constexpr const char* kScDir = "C:\\SC\\bin\\";
    SupremeCommanderStart() {
        machine_.registry.setText(platform::RegistryHive::CurrentUser, settings::kOptionsSection,
                                  "SPCdir", Gbk(kScDir));
        machine_.files.addFile(Gbk(std::string(kScDir) + "Supremecommander.exe"));
        machine_.launcher.onLaunch = [this](const platform::Launch& launch) {
            sc_ = std::make_shared<platform::SimulatedSupremeCommander>(
                machine_.network, launch.parameters.contains(Gbk("/hostgame")));
            scWindow_ = machine_.gameWindows.open(Gbk("Supreme Commander"), sc_);
        };
    }
    std::shared_ptr<platform::SimulatedSupremeCommander> sc_;
    platform::WindowHandle scWindow_ = platform::kNoWindow;
};

TEST_F(SupremeCommanderStart, HostRunsWithoutFileOrRegistryAndSendsOneStartOnceItsPortIsTaken) {
    logIn(Gbk("ab"));
    const RoomRecord room = hostRoom({Gbk("cd")}, Gbk("SupremeCommander"));
    EXPECT_EQ(room.modcode, Gbk("SC"));
    receive(playerState(room.roomno, Gbk("cd"), 0));
    (void)sentRecords();
    battle_.BitBtn2.click();
    ASSERT_EQ(machine_.launcher.launches().size(), 1U);
    EXPECT_EQ(machine_.launcher.launches()[0].path,
              Gbk(std::string(kScDir) + "Supremecommander.exe"));
    EXPECT_EQ(machine_.launcher.launches()[0].mode, platform::WindowMode::Normal);
    EXPECT_EQ(launchFile("tmphost.ini"), "<missing>");
    EXPECT_FALSE(machine_.registry.hasKey(platform::RegistryHive::CurrentUser,
                                          "Software\\Cavedog Entertainment\\Total Annihilation"));
    EXPECT_TRUE(machine_.system.parameterCalls().empty());  // task keys left alone
    EXPECT_EQ(kinds(sentRecords()), kStartRecords);
    EXPECT_FALSE(client_.FormBattleroom.autoClicker->running());
    loop_.advance(3000ms);
    EXPECT_TRUE(ofKind(sentRecords(), sub::kGameStart).empty());  // the game is not up yet
    sc_->startHosting();
    loop_.advance(5000ms);
    const auto starts = ofKind(sentRecords(), sub::kGameStart);
    ASSERT_EQ(starts.size(), 1U);
    EXPECT_EQ(starts[0].sparam1.text(), room.roomno.gbk());

    machine_.gameWindows.sendMessage(scWindow_, platform::kWmClose, 0, 0);  // "/exitongameover"
    loop_.advance(1000ms);
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records), kEndRecords);
    EXPECT_EQ(DecodeRoom(records[2]).status, Gbk("0"));
    EXPECT_FALSE(client_.FormBattleroom.spcHook->watching());
    EXPECT_FALSE(client_.FormBattleroom.startSent);
}

TEST_F(SupremeCommanderStart, JoinerRunsTheJoinLineAimedAtTheHostsPort) {
    logIn(Gbk("cd"));
    RoomRecord room = openRoom(Gbk("ab"), Gbk("R-ab"));
    room.modcode = Gbk("SC");
    room.modname = Gbk("SupremeCommander");
    (void)joinRoom(room);
    receive(gameStart(room.roomno));
    ASSERT_EQ(machine_.launcher.launches().size(), 1U);
    EXPECT_EQ(machine_.launcher.launches()[0].parameters,
              Gbk("/exitongameover /joingame udp ") + kHostAddress + Gbk(":5000 cd"));
    EXPECT_TRUE(machine_.system.parameterCalls().empty());
    // Something on this machine holds port 5000: the joiner's watcher calls sendTAstart,
    // which sends nothing for a joiner, and sets the start guard all the same.
    machine_.network.holdUdpPort(5000);
    (void)sentRecords();
    loop_.advance(1000ms);
    EXPECT_TRUE(ofKind(sentRecords(), sub::kGameStart).empty());
    EXPECT_TRUE(client_.FormBattleroom.startGuard);
}

}  // namespace
}  // namespace ardentis::forms::testing
