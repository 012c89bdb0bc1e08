// A whole Total Annihilation game, host and joiner, through the real server on loopback,
// with the games simulated on each player's fake machine.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "headless_peer.h"
#include "platform/fake/simulated_total_annihilation.h"
#include "tests/server/server_fixture.h"
#include "text/literal.h"

namespace ardentis::e2e {
namespace {

using platform::SimulatedTotalAnnihilation;
using Screen = SimulatedTotalAnnihilation::Screen;
using ardentis::testing::ScratchDirectory;
using server::testing::RunningServer;
using text::Gbk;
using text::zh;

// Virtual-LAN addresses: written into launch files and records only.
constexpr std::uint8_t kAliceLan = 1;
constexpr std::uint8_t kBobLan = 2;
constexpr std::uint8_t kCarolLan = 3;
const Gbk kAliceAddress("10.140.0.1");
constexpr const char* kTaDir = "C:\\TA\\";

constexpr int kStateColumn = 2;      // lvRoom: 准备
constexpr int kRoomStateColumn = 1;  // lvrooms: 状态

// A player whose machine runs the Total Annihilation it starts as a simulation: the game
// reads the launch file it is given, and a joiner's game reaches a battle room only when
// that file names the host's address.
class Player {
  public:
    Player(const std::filesystem::path& folder, const char* account, std::uint16_t port,
           std::uint8_t lanHost)
        : peer_(folder, Gbk(account), Gbk("pw"), port, lanHost) {
        peer_.machine().launcher.onLaunch = [this](const platform::Launch& launch) {
            auto setup = SimulatedTotalAnnihilation::readLaunchFile(peer_.machine().files,
                                                                    launch.path, launch.parameters);
            if (!setup) {
                return;
            }
            game_ = std::make_shared<SimulatedTotalAnnihilation>(*setup);
            game_->setHostAnswers(setup->address == kAliceAddress);
            window_ = peer_.machine().gameWindows.open(Gbk("Total Annihilation"), game_);
        };
    }

    [[nodiscard]] HeadlessPeer& peer() { return peer_; }
    [[nodiscard]] forms::HeadlessClient& ui() { return peer_.ui(); }
    [[nodiscard]] forms::HeadlessMachine& machine() { return peer_.machine(); }

    // The most recently started game, if any.
    [[nodiscard]] SimulatedTotalAnnihilation* game() const { return game_.get(); }
    [[nodiscard]] bool gameAt(Screen screen) const { return game_ && game_->screen() == screen; }
    [[nodiscard]] bool gameOpen() { return machine().gameWindows.isOpen(window_); }
    // How often the automation has looked at a game window.
    [[nodiscard]] int automationLooks() { return machine().gameWindows.captures(); }

    [[nodiscard]] std::string launchFile(const char* name) {
        return machine().files.readFile(Gbk(kTaDir) + Gbk(name)).value_or("<missing>");
    }

    // Start records (4, 20) in the traffic log, sent or received.
    [[nodiscard]] int startRecords(const char* direction) const {
        std::ifstream in(peer_.logFile(), std::ios::binary);
        const std::string log{std::istreambuf_iterator<char>(in), {}};
        const std::string needle = std::string(" ") + direction + " 4:20 ";
        int count = 0;
        for (auto at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) {
            ++count;
        }
        return count;
    }

    [[nodiscard]] Gbk readyMark(const char* account) {
        const auto& players = ui().battleroom.lvRoom;
        const auto row = players.findCaption(Gbk(account));
        return row ? players.subItem(*row, kStateColumn) : Gbk("<no row>");
    }
    [[nodiscard]] Gbk roomListState() {
        const auto& rooms = ui().main.lvrooms;
        return rooms.rowCount() == 1 ? rooms.subItem(0, kRoomStateColumn) : Gbk("<no room>");
    }

  private:
    HeadlessPeer peer_;
    std::shared_ptr<SimulatedTotalAnnihilation> game_;
    platform::WindowHandle window_ = platform::kNoWindow;
};

Gbk backFrom(const char* account) {
    return zh<"作战指挥室>>">() + Gbk(account) + zh<"从战斗中返回。">();
}

class GameSession : public ::testing::Test {
  protected:
    GameSession() : options_(server::testing::testOptions(dir_)) {
        options_.autoRegister = true;
        server_ = std::make_unique<RunningServer>(options_);
        alice_ = std::make_unique<Player>(dir_.path(), "alice", server_->port(), kAliceLan);
        bob_ = std::make_unique<Player>(dir_.path(), "bob", server_->port(), kBobLan);
        carol_ = std::make_unique<Player>(dir_.path(), "carol", server_->port(), kCarolLan);
    }

    bool runUntil(const std::function<bool()>& done) {
        return e2e::runUntil({&alice_->peer(), &bob_->peer(), &carol_->peer()}, done);
    }
    bool everyoneSeesTheRoom(const Gbk& state) {
        return runUntil([&] {
            return alice_->roomListState() == state && bob_->roomListState() == state &&
                   carol_->roomListState() == state;
        });
    }
    // One player's battle ends; the automation closes the score screen and the client
    // notices the game has gone.
    void endBattle(Player& player, const char* account) {
        player.game()->endBattle();
        ASSERT_TRUE(runUntil([&] {
            return !player.gameOpen() && alice_->peer().roomChatHas(backFrom(account)) &&
                   bob_->peer().roomChatHas(backFrom(account));
        }));
    }

    ScratchDirectory dir_;
    server::ServerOptions options_;
    std::unique_ptr<RunningServer> server_;
    std::unique_ptr<Player> alice_;
    std::unique_ptr<Player> bob_;
    std::unique_ptr<Player> carol_;
};

// alice hosts, bob plays, carol watches from the lobby.
TEST_F(GameSession, OneGameThroughTheServerWithOneStartRecordAndTheRoomOpenAgainAfter) {
    for (Player* p : {alice_.get(), bob_.get(), carol_.get()}) {
        p->peer().start();
    }
    ASSERT_TRUE(runUntil([&] {
        return alice_->ui().main.lvlobby.rowCount() == 3 &&
               bob_->ui().main.lvlobby.rowCount() == 3 && carol_->ui().main.lvlobby.rowCount() == 3;
    }));
    ASSERT_TRUE(alice_->ui().main.BitBtn2.click());
    ASSERT_TRUE(alice_->ui().battleroom.BitBtn1.click());
    ASSERT_TRUE(everyoneSeesTheRoom(zh<"讨论中">()));
    bob_->ui().main.lvrooms.doubleClick(0);
    ASSERT_TRUE(runUntil([&] { return bob_->ui().battleroom.lvRoom.rowCount() == 2; }));
    ASSERT_TRUE(bob_->ui().battleroom.CheckBox1.click());
    ASSERT_TRUE(runUntil([&] { return alice_->ui().battleroom.BitBtn2.enabled(); }));

    ASSERT_TRUE(alice_->ui().battleroom.BitBtn2.click());
    ASSERT_TRUE(runUntil([&] {
        return alice_->gameAt(Screen::Battleroom) && bob_->gameAt(Screen::Battleroom);
    })) << "joiner's game: "
        << (bob_->game() ? "started" : "not started");
    const std::string hostFile = alice_->launchFile("tmphost.ini");
    EXPECT_NE(hostFile.find("\r\naddress=10.140.0.1\r\n"), std::string::npos) << hostFile;
    EXPECT_EQ(bob_->game()->setup().address, kAliceAddress);
    // The host's automation keeps seeing its battle room; still one start record.
    const int looks = alice_->automationLooks();
    ASSERT_TRUE(runUntil([&] {
        return alice_->automationLooks() >= looks + 50 && alice_->readyMark("bob") == zh<"战斗">();
    }));
    ASSERT_TRUE(everyoneSeesTheRoom(zh<"战斗中">()));
    EXPECT_EQ(alice_->startRecords("Send"), 1);
    EXPECT_EQ(bob_->startRecords("Recv"), 1);
    EXPECT_EQ(bob_->machine().launcher.launches().size(), 1U);
    EXPECT_EQ(carol_->startRecords("Recv"), 0);  // room records stay in the room

    alice_->game()->everyoneReady();
    bob_->game()->everyoneReady();
    ASSERT_TRUE(
        runUntil([&] { return alice_->gameAt(Screen::Battle) && bob_->gameAt(Screen::Battle); }));
    ASSERT_NO_FATAL_FAILURE(endBattle(*bob_, "bob"));
    ASSERT_TRUE(runUntil([&] { return alice_->readyMark("bob") == zh<"等待">(); }));
    EXPECT_EQ(carol_->roomListState(), zh<"战斗中">());
    ASSERT_NO_FATAL_FAILURE(endBattle(*alice_, "alice"));
    ASSERT_TRUE(everyoneSeesTheRoom(zh<"讨论中">()));
    EXPECT_TRUE(bob_->ui().battleroom.CheckBox1.enabled());
    carol_->ui().main.lvrooms.doubleClick(0);  // a room back in discussion can be entered
    ASSERT_TRUE(runUntil([&] { return alice_->ui().battleroom.lvRoom.rowCount() == 3; }));
    EXPECT_TRUE(carol_->machine().infoBox.shown.empty());
}

}  // namespace
}  // namespace ardentis::e2e
