#include <chrono>

#include "game_start_fixture.h"
#include "settings/options_store.h"

namespace ardentis::forms::testing {
namespace {

using namespace std::chrono_literals;
using platform::SimulatedSupremeCommander;
using text::Gbk;
using text::zh;

namespace sub = protocol::subcommand;

constexpr const char* kScDir = "C:\\SC\\bin\\";

// A machine with Supreme Commander beside Total Annihilation; a started Supreme Commander
// opens its window at once and, when hosting, takes its port once the test says so.
class SupremeCommanderStart : public GameStartFixture {
  protected:
    SupremeCommanderStart() {
        machine_.registry.setText(platform::RegistryHive::CurrentUser, settings::kOptionsSection,
                                  "SPCdir", Gbk(kScDir));
        machine_.files.addFile(Gbk(std::string(kScDir) + "Supremecommander.exe"));
        machine_.launcher.onLaunch = [this](const platform::Launch& launch) {
            if (!launch.path.view().ends_with("Supremecommander.exe")) {
                return;
            }
            sc_ = std::make_shared<SimulatedSupremeCommander>(
                machine_.network, launch.parameters.contains(Gbk("/hostgame")));
            scWindow_ = machine_.gameWindows.open(Gbk("Supreme Commander"), sc_);
        };
    }

    // ab creates a Supreme Commander room that cd enters ready, and presses 开始.
    protocol::RoomRecord hostAndStart() {
        machine_.installGame(Gbk(kTaDir));
        logIn(Gbk("ab"));
        machine_.setVirtualLanAddress(10, 140, 3, 4);
        headless_.main.BitBtn2.click();
        for (int index = 0; index < headless_.battleroom.mods.count(); ++index) {
            if (headless_.battleroom.mods.item(index) == Gbk("SupremeCommander")) {
                headless_.battleroom.mods.setItemIndex(index);
            }
        }
        headless_.battleroom.BitBtn1.click();
        protocol::RoomRecord created;
        for (const auto& record : ofKind(sentRecords(), sub::kRoomUpdate)) {
            created = protocol::DecodeRoom(record);
        }
        EXPECT_EQ(created.modcode, Gbk("SC"));
        receive(roomRecord(created));
        receive(userRecord(Gbk("cd"), zh<"大厅">()));
        receive(memberRecord(created.roomno, Gbk("cd")));
        playerReady(created.roomno, Gbk("cd"), 0);
        (void)sentRecords();
        headless_.battleroom.BitBtn2.click();
        return created;
    }

    std::shared_ptr<SimulatedSupremeCommander> sc_;
    platform::WindowHandle scWindow_ = platform::kNoWindow;
};

TEST_F(SupremeCommanderStart, HostRunsWithoutFileOrRegistryAndSendsOneStartOnceItsPortIsTaken) {
    const auto room = hostAndStart();
    ASSERT_EQ(machine_.launcher.launches().size(), 1U);
    EXPECT_EQ(machine_.launcher.launches()[0].path,
              Gbk(std::string(kScDir) + "Supremecommander.exe"));
    EXPECT_EQ(machine_.launcher.launches()[0].mode, platform::WindowMode::Normal);
    EXPECT_FALSE(machine_.files.fileExists(Gbk(std::string(kTaDir) + "tmphost.ini")));
    EXPECT_FALSE(machine_.registry.hasKey(platform::RegistryHive::CurrentUser,
                                          "Software\\Cavedog Entertainment\\Total Annihilation"));
    EXPECT_TRUE(machine_.system.parameterCalls().empty());  // task keys left alone
    EXPECT_EQ(kinds(sentRecords()),
              (Kinds{{4, sub::kRoomUpdate}, {4, sub::kRoomChat}, {4, sub::kPlayerState}}));
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
    ASSERT_EQ(kinds(records),
              (Kinds{{4, sub::kRoomChat}, {4, sub::kPlayerState}, {4, sub::kRoomUpdate}}));
    EXPECT_EQ(protocol::DecodeRoom(records[2]).status, Gbk("0"));
    EXPECT_FALSE(client_.FormBattleroom.spcHook->watching());
    EXPECT_FALSE(client_.FormBattleroom.startSent);
}

TEST_F(SupremeCommanderStart, JoinerRunsTheJoinLineAimedAtTheHostsPort) {
    machine_.installGame(Gbk(kTaDir));
    logIn(Gbk("cd"));
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    protocol::RoomRecord room = openRoom(Gbk("ab"), Gbk("R-ab"));
    room.modcode = Gbk("SC");
    room.modname = Gbk("SupremeCommander");
    receive(roomRecord(room));
    doubleClickRoom(room.roomno);
    receive(memberRecord(room.roomno, Gbk("ab")));
    auto own = memberRecord(room.roomno, Gbk("cd"));
    own.setKind(protocol::command::kRoom, sub::kRoomEnter);
    receive(own);
    (void)sentRecords();

    receive(gameStart(room.roomno, lan_.hosts[0], Gbk("ab")));
    ASSERT_EQ(machine_.launcher.launches().size(), 1U);
    EXPECT_EQ(machine_.launcher.launches()[0].parameters,
              Gbk("/exitongameover /joingame udp ") + lan_.hosts[0] + Gbk(":5000 cd"));
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
