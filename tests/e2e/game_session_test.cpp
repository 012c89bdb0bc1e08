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
using server::testing::RunningServer;
using server::testing::TempDir;
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
constexpr int kPlayersColumn = 5;    // lvrooms: 人数

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

Gbk notice(const char* account, const Gbk& what) {
    return zh<"作战指挥室>>">() + Gbk(account) + what;
}
Gbk goingIn(const char* account) {
    return notice(account, zh<"开始进入战场，请稍候．">());
}
Gbk backFrom(const char* account) {
    return notice(account, zh<"从战斗中返回。">());
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

    // Everybody on line and seeing the other two. carol mostly watches from the lobby.
    void logIn() {
        for (Player* p : {alice_.get(), bob_.get(), carol_.get()}) {
            p->peer().start();
        }
        ASSERT_TRUE(runUntil([&] {
            for (Player* p : {alice_.get(), bob_.get(), carol_.get()}) {
                if (p->ui().main.lvlobby.rowCount() != 3) {
                    return false;
                }
            }
            return true;
        }));
    }

    // alice opens a room from the lobby window (建房, then 建立).
    void createRoom() {
        auto& ui = alice_->ui();
        ASSERT_TRUE(ui.main.BitBtn2.click());
        ASSERT_TRUE(ui.battleroom.BitBtn1.click());
        ASSERT_TRUE(runUntil([&] {
            return alice_->roomListState() == zh<"讨论中">() &&
                   bob_->roomListState() == zh<"讨论中">() &&
                   carol_->roomListState() == zh<"讨论中">();
        }));
    }

    // A player double-clicks the room in his lobby list; the room then holds `players`.
    void joinRoom(Player& player, int players) {
        player.ui().main.lvrooms.doubleClick(0);
        ASSERT_TRUE(runUntil([&] {
            return alice_->ui().battleroom.lvRoom.rowCount() == players &&
                   player.ui().battleroom.lvRoom.rowCount() == players;
        }));
    }

    // A player ticks 准备就绪 and the host sees it.
    void ready(Player& player, const char* account) {
        ASSERT_FALSE(player.ui().battleroom.CheckBox1.checked());
        ASSERT_TRUE(player.ui().battleroom.CheckBox1.click());
        ASSERT_TRUE(runUntil([&] { return alice_->readyMark(account) == zh<"就绪">(); }));
    }

    // alice presses 开始; both games come up and reach the host's battle room.
    void start() {
        ASSERT_TRUE(alice_->ui().battleroom.BitBtn2.click());
        ASSERT_TRUE(runUntil([&] {
            return alice_->gameAt(Screen::Battleroom) && bob_->gameAt(Screen::Battleroom);
        })) << "joiner's game: "
            << (bob_->game() ? "started" : "not started");
        // The automation has to see the battle room before it may press the game's start.
        const int aliceLooks = alice_->automationLooks();
        const int bobLooks = bob_->automationLooks();
        ASSERT_TRUE(runUntil([&] {
            return alice_->automationLooks() > aliceLooks && bob_->automationLooks() > bobLooks;
        }));
    }

    // A room with alice hosting and bob ready in it.
    void readyRoom() {
        ASSERT_NO_FATAL_FAILURE(logIn());
        ASSERT_NO_FATAL_FAILURE(createRoom());
        ASSERT_NO_FATAL_FAILURE(joinRoom(*bob_, 2));
        ASSERT_NO_FATAL_FAILURE(ready(*bob_, "bob"));
        ASSERT_TRUE(runUntil([&] { return alice_->ui().battleroom.BitBtn2.enabled(); }));
    }

    // Both games into the battle, from their battle rooms.
    void battle() {
        alice_->game()->everyoneReady();
        bob_->game()->everyoneReady();
        ASSERT_TRUE(runUntil(
            [&] { return alice_->gameAt(Screen::Battle) && bob_->gameAt(Screen::Battle); }));
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

    // bob's game ends first, then alice's: the last one back opens the room again.
    void bothReturn() {
        ASSERT_NO_FATAL_FAILURE(endBattle(*bob_, "bob"));
        ASSERT_TRUE(runUntil([&] { return alice_->readyMark("bob") == zh<"等待">(); }));
        ASSERT_NO_FATAL_FAILURE(endBattle(*alice_, "alice"));
        ASSERT_TRUE(runUntil([&] {
            return carol_->roomListState() == zh<"讨论中">() &&
                   bob_->roomListState() == zh<"讨论中">() &&
                   alice_->roomListState() == zh<"讨论中">();
        }));
    }

    TempDir dir_;
    server::ServerOptions options_;
    std::unique_ptr<RunningServer> server_;
    std::unique_ptr<Player> alice_;
    std::unique_ptr<Player> bob_;
    std::unique_ptr<Player> carol_;
};

TEST_F(GameSession, HostsStartBringsBothGamesIntoOneBattleRoomWithOneStartRecord) {
    ASSERT_NO_FATAL_FAILURE(readyRoom());
    ASSERT_TRUE(alice_->ui().battleroom.BitBtn2.click());

    // The host's side happens inside the click: launch file and game.
    ASSERT_EQ(alice_->machine().launcher.launches().size(), 1U);
    EXPECT_EQ(alice_->machine().launcher.launches()[0],
              (platform::Launch{Gbk(std::string(kTaDir) + "totala.exe"), Gbk("-c tmphost.ini"),
                                platform::WindowMode::Maximized}));
    const std::string hostFile = alice_->launchFile("tmphost.ini");
    EXPECT_NE(hostFile.find("\r\naddress=10.140.0.1\r\n"), std::string::npos) << hostFile;
    EXPECT_NE(hostFile.find("\r\nplayer=alice\r\n"), std::string::npos) << hostFile;
    ASSERT_NE(alice_->game(), nullptr);
    EXPECT_TRUE(alice_->game()->setup().host);

    // The automation clicks through the connect dialog into the game's battle room.
    ASSERT_TRUE(runUntil([&] { return alice_->gameAt(Screen::Battleroom); }));
    const int looksInBattleroom = alice_->automationLooks();

    // The start record takes bob's client to the host's address and into the same game.
    ASSERT_TRUE(runUntil([&] { return bob_->gameAt(Screen::Battleroom); }));
    EXPECT_EQ(bob_->peer().client().options.hostip, kAliceAddress);
    EXPECT_EQ(bob_->launchFile("tmpclient.ini"),
              "[totala]\r\nconnect=1\r\naddress=10.140.0.1\r\npfs=3\r\nplayer=bob\r\n"
              "password=\r\ncreator=0\r\n");
    ASSERT_EQ(bob_->machine().launcher.launches().size(), 1U);
    EXPECT_EQ(bob_->machine().launcher.launches()[0].parameters, Gbk("-c tmpclient.ini"));
    EXPECT_EQ(bob_->machine().launcher.launches()[0].mode, platform::WindowMode::Maximized);

    // The host's automation keeps seeing its battle room; still one start record.
    ASSERT_TRUE(runUntil([&] {
        return alice_->automationLooks() >= looksInBattleroom + 50 &&
               alice_->peer().roomChatHas(goingIn("bob")) &&
               bob_->peer().roomChatHas(goingIn("bob")) && alice_->readyMark("bob") == zh<"战斗">();
    }));
    EXPECT_TRUE(alice_->gameAt(Screen::Battleroom));
    EXPECT_EQ(alice_->startRecords("Send"), 1);
    EXPECT_EQ(bob_->startRecords("Recv"), 1);
    EXPECT_EQ(bob_->machine().launcher.launches().size(), 1U);
    EXPECT_EQ(carol_->startRecords("Recv"), 0);  // room records stay in the room

    for (Player* p : {alice_.get(), bob_.get()}) {
        EXPECT_TRUE(p->peer().roomChatHas(goingIn("alice")));
        EXPECT_TRUE(p->peer().roomChatHas(goingIn("bob")));
        EXPECT_FALSE(p->ui().battleroom.CheckBox1.enabled());
    }
    EXPECT_FALSE(carol_->peer().roomChatHas(goingIn("alice")));
    EXPECT_EQ(bob_->readyMark("bob"), zh<"战斗">());
    ASSERT_TRUE(runUntil([&] {
        return carol_->roomListState() == zh<"战斗中">() &&
               bob_->roomListState() == zh<"战斗中">() && alice_->roomListState() == zh<"战斗中">();
    }));
}

TEST_F(GameSession, APlayerDroppingOutWhileTheGamesGatherSendsNoSecondStartRecord) {
    ASSERT_NO_FATAL_FAILURE(logIn());
    ASSERT_NO_FATAL_FAILURE(createRoom());
    ASSERT_NO_FATAL_FAILURE(joinRoom(*bob_, 2));
    ASSERT_NO_FATAL_FAILURE(joinRoom(*carol_, 3));
    ASSERT_NO_FATAL_FAILURE(ready(*bob_, "bob"));
    ASSERT_NO_FATAL_FAILURE(ready(*carol_, "carol"));
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(runUntil([&] { return carol_->gameAt(Screen::Battleroom); }));
    ASSERT_EQ(alice_->startRecords("Send"), 1);

    // carol's client drops off the lobby; the server's room update reaches the host while
    // its automation still sees the game's battle room.
    ASSERT_TRUE(carol_->ui().main.BitBtn1.click());  // 断开
    ASSERT_TRUE(runUntil([&] {
        return alice_->ui().battleroom.lvRoom.rowCount() == 2 &&
               alice_->ui().main.lvrooms.subItem(0, kPlayersColumn).startsWith(Gbk("2/"));
    }));
    const int looks = alice_->automationLooks();
    ASSERT_TRUE(runUntil([&] { return alice_->automationLooks() >= looks + 50; }));
    EXPECT_TRUE(alice_->gameAt(Screen::Battleroom));
    EXPECT_EQ(alice_->startRecords("Send"), 1);
    EXPECT_EQ(bob_->startRecords("Recv"), 1);
    EXPECT_EQ(bob_->machine().launcher.launches().size(), 1U);
}

TEST_F(GameSession, AfterTheBattleBothReturnAndTheRoomIsOpenAgain) {
    ASSERT_NO_FATAL_FAILURE(readyRoom());
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(runUntil([&] { return carol_->roomListState() == zh<"战斗中">(); }));
    ASSERT_NO_FATAL_FAILURE(battle());

    // The joiner's game ends first: the room stays in battle while the host plays on.
    ASSERT_NO_FATAL_FAILURE(endBattle(*bob_, "bob"));
    ASSERT_TRUE(runUntil([&] { return alice_->readyMark("bob") == zh<"等待">(); }));
    EXPECT_TRUE(alice_->gameOpen());
    EXPECT_FALSE(bob_->ui().battleroom.CheckBox1.checked());
    EXPECT_TRUE(bob_->ui().battleroom.CheckBox1.enabled());
    EXPECT_EQ(carol_->roomListState(), zh<"战斗中">());

    ASSERT_NO_FATAL_FAILURE(endBattle(*alice_, "alice"));
    ASSERT_TRUE(runUntil([&] {
        return carol_->roomListState() == zh<"讨论中">() &&
               bob_->roomListState() == zh<"讨论中">() && alice_->roomListState() == zh<"讨论中">();
    }));
    EXPECT_TRUE(alice_->ui().battleroom.CheckBox1.enabled());
    EXPECT_FALSE(bob_->ui().battleroom.CheckBox1.checked());
    EXPECT_TRUE(bob_->ui().battleroom.CheckBox1.enabled());
    EXPECT_EQ(alice_->readyMark("alice"), zh<"就绪">());
    EXPECT_EQ(bob_->readyMark("alice"), zh<"就绪">());
    EXPECT_EQ(bob_->readyMark("bob"), zh<"等待">());
    EXPECT_FALSE(alice_->ui().battleroom.BitBtn2.enabled());  // bob is not ready yet

    // A room back in discussion can be entered again.
    carol_->ui().main.lvrooms.doubleClick(0);
    ASSERT_TRUE(runUntil([&] { return alice_->ui().battleroom.lvRoom.rowCount() == 3; }));
    EXPECT_TRUE(carol_->machine().infoBox.shown.empty());
}

TEST_F(GameSession, HostBackFirstLeavesTheRoomInBattleUntilTheJoinerIsBack) {
    ASSERT_NO_FATAL_FAILURE(readyRoom());
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(battle());

    ASSERT_NO_FATAL_FAILURE(endBattle(*alice_, "alice"));
    EXPECT_TRUE(bob_->gameOpen());
    EXPECT_EQ(alice_->readyMark("bob"), zh<"战斗">());
    EXPECT_EQ(carol_->roomListState(), zh<"战斗中">());

    // bob's return reaches the host, which opens the room again; bob's own room update is
    // not the host's and goes nowhere.
    ASSERT_NO_FATAL_FAILURE(endBattle(*bob_, "bob"));
    ASSERT_TRUE(runUntil([&] {
        return carol_->roomListState() == zh<"讨论中">() &&
               bob_->roomListState() == zh<"讨论中">() && alice_->roomListState() == zh<"讨论中">();
    }));
    carol_->ui().main.lvrooms.doubleClick(0);
    ASSERT_TRUE(runUntil([&] { return alice_->ui().battleroom.lvRoom.rowCount() == 3; }));
    EXPECT_TRUE(carol_->machine().infoBox.shown.empty());
}

TEST_F(GameSession, ASecondGameFromTheSameRoomSendsANewStartRecord) {
    ASSERT_NO_FATAL_FAILURE(readyRoom());
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_NO_FATAL_FAILURE(battle());
    ASSERT_NO_FATAL_FAILURE(bothReturn());
    ASSERT_EQ(alice_->startRecords("Send"), 1);

    ASSERT_NO_FATAL_FAILURE(ready(*bob_, "bob"));
    ASSERT_TRUE(runUntil([&] { return alice_->ui().battleroom.BitBtn2.enabled(); }));
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_EQ(alice_->machine().launcher.launches().size(), 2U);
    EXPECT_EQ(bob_->machine().launcher.launches().size(), 2U);
    EXPECT_EQ(bob_->game()->setup().address, kAliceAddress);
    ASSERT_TRUE(runUntil([&] { return carol_->roomListState() == zh<"战斗中">(); }));
    EXPECT_EQ(alice_->startRecords("Send"), 2);
    EXPECT_EQ(bob_->startRecords("Recv"), 2);
}

// The joiner whose game never opens its window gives up after 30 s of real waiting on
// these peers; that case runs on the manual clock in the game start tests instead.

}  // namespace
}  // namespace ardentis::e2e
