// A game's start, watch and end on a whole headless client against simulated games.
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <tuple>

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

constexpr std::uint32_t kFastTaskSwitch = 36;  // SPI_SETFASTTASKSWITCH
constexpr const char* kGammaKey = "Software\\Cavedog Entertainment\\Total Annihilation";
const Gbk kHostAddress("5.6.7.8");  // only ever written into launch files and records
const Kinds kStartRecords{{4, sub::kRoomUpdate}, {4, sub::kRoomChat}, {4, sub::kPlayerState}};
const Kinds kEndRecords{{4, sub::kRoomChat}, {4, sub::kPlayerState}, {4, sub::kRoomUpdate}};

// A machine with both games. Total Annihilation reads its launch file and opens its window after
// windowDelay_ (at its first look when 0, never when negative); Supreme Commander opens its window
// at once and takes its port, when hosting, once the test says so.
class GameStart : public HeadlessFixture {
  protected:
    static constexpr const char* kScDir = "C:\\SC\\bin\\";
    GameStart() {
        machine_.registry.setText(platform::RegistryHive::CurrentUser, settings::kOptionsSection,
                                  "SPCdir", Gbk(kScDir));
        machine_.files.addFile(Gbk(std::string(kScDir) + "Supremecommander.exe"));
        machine_.launcher.onLaunch = [this](const platform::Launch& launch) {
            if (launch.path.bytes().starts_with(kScDir)) {
                sc_ = std::make_shared<platform::SimulatedSupremeCommander>(
                    machine_.network, launch.parameters.contains(Gbk("/hostgame")));
                scWindow_ = machine_.gameWindows.open(Gbk("Supreme Commander"), sc_);
                return;
            }
            auto setup = SimulatedTotalAnnihilation::readLaunchFile(machine_.files, launch.path,
                                                                    launch.parameters);
            if (setup && windowDelay_ >= 0) {
                opening_ = loop_.createTimer(std::max(windowDelay_, 1), true, [this, setup] {
                    opening_->setEnabled(false);
                    ta_ = std::make_shared<SimulatedTotalAnnihilation>(*setup);
                    taWindow_ = machine_.gameWindows.open(Gbk("Total Annihilation"), ta_);
                });
            }
        };
    }
    RoomRecord joinModRoom(const char* code, const char* name) {
        RoomRecord room = openRoom(Gbk("ab"), Gbk("R-") + Gbk(code));
        room.modcode = Gbk(code);
        room.modname = Gbk(name);
        (void)joinRoom(room);
        return room;
    }
    void closeTheGame() {
        machine_.gameWindows.close(taWindow_);
        loop_.advance(1000ms);
    }
    [[nodiscard]] std::string launchFile(const char* name) const {
        return machine_.files.readFile(Gbk(kTaDir) + Gbk(name)).value_or("<missing>");
    }
    // The room went into battle and back, and the task keys are on again.
    void expectRoomPutBack() {
        const auto records = sentRecords();
        ASSERT_EQ(kinds(records), (Kinds{{4, sub::kRoomUpdate}, {4, sub::kRoomUpdate}}));
        EXPECT_EQ(DecodeRoom(records[0]).status, Gbk("1"));
        EXPECT_EQ(DecodeRoom(records[1]).status, Gbk("0"));
        ASSERT_FALSE(taskKeys_.empty());
        EXPECT_EQ(taskKeys_.back().value, 0U);
    }

    std::shared_ptr<SimulatedTotalAnnihilation> ta_;
    platform::WindowHandle taWindow_ = platform::kNoWindow;
    int windowDelay_ = 0;  // ms
    std::unique_ptr<platform::Timer> opening_;
    const std::vector<platform::Launch>& launches_ = machine_.launcher.launches();
    const std::vector<platform::SystemParameterCall>& taskKeys_ = machine_.system.parameterCalls();
    std::shared_ptr<platform::SimulatedSupremeCommander> sc_;
    platform::WindowHandle scWindow_ = platform::kNoWindow;
};

// The wait for the window is bounded, then the room is put back; a late window counts: one start
// record, the room held while the game runs and put back once at its end.
TEST_F(GameStart, HostsWaitIsBoundedThenItsGameSendsOneStartRecordAndHoldsTheRoomUntilItsEnd) {
    windowDelay_ = -1;
    logIn(Gbk("ab"));
    const RoomRecord room = hostRoom({Gbk("cd")});
    const auto before = loop_.now();
    battle_.BitBtn2.click();  // returns: the window thread is not held forever
    EXPECT_EQ(std::chrono::floor<std::chrono::seconds>(loop_.now() - before), 30s);
    EXPECT_EQ(shown_, Texts{zh<"游戏没有启动，请检查游戏目录。">()});
    expectRoomPutBack();
    EXPECT_FALSE(client_.FormBattleroom.autoClicker->running() ||
                 client_.FormBattleroom.taHook->watching());

    windowDelay_ = 20'000;  // the game is slow to come up
    shown_.clear();
    const auto keysBefore = taskKeys_.size();
    battle_.BitBtn2.click();
    EXPECT_TRUE(shown_.empty() && client_.FormBattleroom.autoClicker->running());
    ASSERT_EQ(kinds(sentRecords()), kStartRecords);
    ASSERT_EQ(launches_.size(), 2U);
    EXPECT_EQ(launches_[1],
              (platform::Launch{Gbk(std::string(kTaDir) + "totala.exe"), Gbk("-c tmphost.ini"),
                                platform::WindowMode::Maximized}));
    ASSERT_TRUE(ta_ && ta_->setup().host);  // what the game read from the host file
    EXPECT_TRUE(machine_.registry.hasKey(platform::RegistryHive::CurrentUser, kGammaKey));
    ASSERT_GT(taskKeys_.size(), keysBefore);
    EXPECT_EQ(taskKeys_[keysBefore], (platform::SystemParameterCall{kFastTaskSwitch, 1}));
    for (int i = 0; i < 5; ++i) {
        client_.FormBattleroom.sendTAstart();  // every sighting of the battle room
    }
    receive(roomRecord(client_.connection()->lobby.myroom->info));  // a player dropped out
    loop_.advance(500ms);
    const auto starts = ofKind(sentRecords(), sub::kGameStart);
    ASSERT_EQ(starts.size(), 1U);
    EXPECT_EQ(params(starts[0]), (Texts{room.roomno.gbk(), Gbk("10.140.3.4"), Gbk("ab")}));
    EXPECT_FALSE(battle_.CheckBox1.enabled());

    ASSERT_TRUE(battle_.BitBtn3.click());  // 退出
    loop_.advance(5000ms);
    EXPECT_TRUE(sentRecords().empty() && battle_.window.visible()) << "nothing happens in a game";
    const auto callsBefore = taskKeys_.size();
    receive(roomMessage(sub::kPlayerState, room.roomno, Gbk("cd"), {},
                        -1));  // another row still in battle
    closeTheGame();
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records), kEndRecords);
    EXPECT_EQ(records[0].sparam1.text(), zh<"作战指挥室>>">() + Gbk("ab") + zh<"从战斗中返回。">());
    EXPECT_EQ(DecodeRoom(records[2]).status, Gbk("1")) << "the room left out of battle";
    EXPECT_TRUE(taskKeys_.size() > callsBefore && taskKeys_.back().value == 0U) << "task keys on";
    EXPECT_FALSE(client_.FormBattleroom.taHook->watching() || client_.FormBattleroom.startSent ||
                 client_.FormBattleroom.startGuard || !battle_.CheckBox1.enabled());
    EXPECT_EQ(std::pair(main_.window.size(), battle_.window.size()),
              std::pair(WindowSize{800, 600}, WindowSize{640, 480}));
    loop_.advance(5000ms);
    EXPECT_TRUE(sentRecords().empty()) << "the end is seen once";
}

// Options changed before a player joins survive his entry. A start the shell refuses is
// reported at once, its launch file written all the same: each radio group away from its
// default, one at a time, changes its own line only (the defaults share their values, so only
// this tells which option each line is written from). An unwritable launch file starts nothing.
TEST_F(GameStart, OptionsSurviveAnEntryAndEachIsWrittenOnItsLineThoughTheShellRefusesTheStart) {
    logIn(Gbk("ab"));
    const RoomRecord room = hostRoom();
    battle_.RGcommander.click(0);
    battle_.Trackmetal.drag(7);
    (void)sentRecords();
    receive(userRecord(Gbk("cd"), zh<"大厅">()));
    receive(memberRecord(room.roomno, Gbk("cd")));
    const auto options = ofKind(sentRecords(), sub::kRoomOptions);  // told to the newcomer
    ASSERT_EQ(options.size(), 1U);
    EXPECT_EQ((std::vector<int>{DecodeRoom(options[0]).commander, DecodeRoom(options[0]).metal}),
              (std::vector<int>{1, 7}));
    receive(roomMessage(sub::kPlayerState, room.roomno, Gbk("cd")));
    (void)sentRecords();

    machine_.launcher.refusal = platform::OsError{"ShellExecuteW", 2};
    const auto before = loop_.now();
    battle_.BitBtn2.click();
    EXPECT_LT(loop_.now() - before, 1s) << "waited for a window that can never come";
    EXPECT_EQ(shown_, Texts{zh<"无法启动游戏：">() + Gbk(std::string(kTaDir)) +
                            Gbk("totala.exe (ShellExecuteW failed with 2)")});
    expectRoomPutBack();
    const std::string defaults = launchFile("tmphost.ini");
    EXPECT_NE(defaults.find("\r\ndeathopt=1\r\nmetal=7000\r\n"), std::string::npos) << defaults;
    // Each: the group, the item chosen, its line as the defaults write it and as chosen.
    const std::tuple<MemoryRadioGroup MemoryBattleroomWindow::*, int, std::string, std::string>
        radios[] = {{&MemoryBattleroomWindow::RGcommander, 2, "deathopt=1", "deathopt=3"},
                    {&MemoryBattleroomWindow::rglos, 2, "los=1", "los=3"},
                    {&MemoryBattleroomWindow::rgwatch, 0, "watching=2", "watching=1"},
                    {&MemoryBattleroomWindow::RGcheat, 1, "cheats=1", "cheats=2"},
                    {&MemoryBattleroomWindow::RGMapmode, 0, "mapmode=2", "mapmode=1"},
                    {&MemoryBattleroomWindow::rgpos, 0, "location=2", "location=1"}};
    for (const auto& [group, index, line, chosen] : radios) {
        SCOPED_TRACE(chosen);
        const int old = (battle_.*group).itemIndex();
        (battle_.*group).click(index);
        battle_.BitBtn2.click();
        std::string file = launchFile("tmphost.ini");
        const auto at = file.find("\n" + chosen + "\r");
        ASSERT_NE(at, std::string::npos) << file;
        EXPECT_EQ(file.replace(at + 1, chosen.size(), line), defaults);
        (battle_.*group).click(old);
    }
    (void)sentRecords();
    machine_.files.refuseWrites(Gbk(std::string(kTaDir) + "tmphost.ini"));
    const auto counts = std::vector{launches_.size(), taskKeys_.size(), shown_.size() + 1};
    battle_.BitBtn2.click();
    EXPECT_EQ((std::vector{launches_.size(), taskKeys_.size(), shown_.size()}), counts)
        << "launches, task key calls, messages";
    EXPECT_TRUE(sentRecords().empty());
}

// Without a virtual-LAN address at the start nobody's game starts on a wrong one: the host is
// asked, and may go on with the machine's own address; a joiner is told and stays in the room.
TEST_F(GameStart, WithoutAVirtualLanAddressTheHostIsAskedAndAJoinerIsNotStarted) {
    const auto loseTheVirtualLan = [this] {
        machine_.network.setAddresses({{127, 0, 0, 1}});
        machine_.network.setAdapters({{Gbk("Ethernet"), Gbk(), {{192, 168, 1, 2}}, true}});
    };
    logIn(Gbk("ab"));
    const RoomRecord room = hostRoom({Gbk("cd")});
    loseTheVirtualLan();
    battle_.BitBtn2.click();  // no answer: No
    ASSERT_EQ(machine_.infoBox.asked.size(), 1U);
    EXPECT_TRUE(machine_.infoBox.asked[0].contains(Gbk("VNN 3.0")) &&
                machine_.infoBox.asked[0].contains(Gbk("192.168.1.2")));
    EXPECT_TRUE(launches_.empty() && sentRecords().empty());
    machine_.infoBox.answers.push_back(true);
    battle_.BitBtn2.click();
    ASSERT_EQ(launches_.size(), 1U);
    client_.FormBattleroom.sendTAstart();
    const auto starts = ofKind(sentRecords(), sub::kGameStart);
    ASSERT_EQ(starts.size(), 1U);
    EXPECT_EQ(params(starts[0]), (Texts{room.roomno.gbk(), Gbk("192.168.1.2"), Gbk("ab")}));
    EXPECT_TRUE(launchFile("tmphost.ini").contains("address=192.168.1.2"));
}

TEST_F(GameStart, AJoinerWithoutAVirtualLanAddressIsToldAndNotStarted) {
    logIn(Gbk("cd"));
    const RoomRecord room = joinRoom(openRoom(Gbk("ab")));
    machine_.network.setAddresses({{127, 0, 0, 1}});
    battle_.CheckBox1.click();  // ready
    (void)sentRecords();
    receive(roomMessage(sub::kGameStart, room.roomno, kHostAddress, Gbk("ab")));
    EXPECT_TRUE(launches_.empty() && machine_.infoBox.asked.empty());
    ASSERT_EQ(shown_.size(), 1U);
    EXPECT_TRUE(shown_[0].contains(zh<"游戏没有启动。">()));
    EXPECT_TRUE(battle_.CheckBox1.enabled());
}

// The joiner starts the room's mod, even one installed after start-up, with the address of
// its room's start record, and follows the host's game; the next start uses the next address.
// In a Supreme Commander room it runs the join line aimed at the host's port.
TEST_F(GameStart, JoinerStartsTheRoomsModAtItsRoomsStartRecordAimedAtTheHost) {
    logIn(Gbk("cd"));
    machine_.files.addFile(Gbk(std::string(kTaDir) + "TA33A.exe"));
    const RoomRecord room = joinModRoom("21", "TA33A");
    receive(roomMessage(sub::kGameStart, Gbk("R-elsewhere"), kHostAddress, Gbk("ab")));
    EXPECT_TRUE(launches_.empty()) << "another room's start";

    battle_.CheckBox1.click();  // ready
    (void)sentRecords();
    receive(roomMessage(sub::kGameStart, room.roomno, kHostAddress, Gbk("ab")));
    ASSERT_EQ(launches_.size(), 1U);
    EXPECT_EQ(launches_[0],
              (platform::Launch{Gbk(std::string(kTaDir) + "TA33A.exe"), Gbk("-c tmpclient.ini"),
                                platform::WindowMode::Maximized}));
    ASSERT_TRUE(ta_ && !ta_->setup().host);  // what the game read from the joiner's file
    EXPECT_EQ(ta_->setup().address, kHostAddress);
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records), (Kinds{{4, sub::kRoomChat}, {4, sub::kPlayerState}}));
    EXPECT_EQ(records[0].sparam1.text(),
              zh<"作战指挥室>>">() + Gbk("cd") + zh<"开始进入战场，请稍候．">());
    EXPECT_EQ(records[1].iparam1.get(), -1);  // ready and in a game: 战斗
    loop_.advance(30ms);  // a step each: connect dialog, game list (join), battle room
    EXPECT_EQ(ta_->screen(), Screen::Battleroom);
    EXPECT_TRUE(ofKind(sentRecords(), sub::kGameStart).empty());  // only a host sends it

    receive(roomMessage(sub::kRoomChat, zh<"作战指挥室>>ab开始进入战场，请稍候．">(), room.roomno,
                        Gbk("ab")));
    ASSERT_FALSE(battle_.CheckBox1.enabled());
    closeTheGame();
    EXPECT_TRUE(!battle_.CheckBox1.checked() && battle_.CheckBox1.enabled());
    receive(roomMessage(sub::kGameStart, room.roomno, Gbk("10.140.9.9"), Gbk("ab")));
    EXPECT_EQ(ta_->setup().address, Gbk("10.140.9.9"));
    closeTheGame();

    ASSERT_TRUE(battle_.BitBtn3.click());  // 退出
    const RoomRecord sc = joinModRoom("SC", "SupremeCommander");
    const auto calls = taskKeys_.size();
    receive(roomMessage(sub::kGameStart, sc.roomno, kHostAddress, Gbk("ab")));
    ASSERT_EQ(launches_.size(), 3U);
    EXPECT_EQ(launches_[2].parameters,
              Gbk("/exitongameover /joingame udp ") + kHostAddress + Gbk(":5000 cd"));
    EXPECT_EQ(taskKeys_.size(), calls);
    // Something on this machine holds port 5000: the joiner's watcher calls sendTAstart,
    // which sends nothing for a joiner, and sets the start guard all the same.
    machine_.network.holdUdpPort(5000);
    (void)sentRecords();
    loop_.advance(1000ms);
    EXPECT_TRUE(ofKind(sentRecords(), sub::kGameStart).empty());
    EXPECT_TRUE(client_.FormBattleroom.startGuard);
}

TEST_F(GameStart, SupremeCommanderHostRunsWithoutFileOrRegistryAndSendsOneStartOnceItsPortIsTaken) {
    logIn(Gbk("ab"));
    const RoomRecord room = hostRoom({Gbk("cd")}, Gbk("SupremeCommander"));
    battle_.BitBtn2.click();
    ASSERT_EQ(launches_.size(), 1U);
    EXPECT_EQ(launches_[0].path, Gbk(std::string(kScDir) + "Supremecommander.exe"));
    EXPECT_EQ(launches_[0].mode, platform::WindowMode::Normal);
    EXPECT_EQ(launchFile("tmphost.ini"), "<missing>");
    EXPECT_FALSE(machine_.registry.hasKey(platform::RegistryHive::CurrentUser, kGammaKey));
    EXPECT_TRUE(taskKeys_.empty());  // task keys left alone
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
    EXPECT_EQ(DecodeRoom(records[2]).status, Gbk("0")) << "nobody is left in battle";
}

}  // namespace
}  // namespace ardentis::forms::testing
