// Whole sessions of headless clients against the real server on loopback: a room, and a Total
// Annihilation game with the games simulated on each player's fake machine.
#include <gtest/gtest.h>

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
using text::Gbk;
using text::zh;

// A player whose machine runs the Total Annihilation it starts as a simulation: the game reads its
// launch file, and a joiner's game reaches a battle room only when that file names the host's
// (alice's) virtual-LAN address.
class Player : public HeadlessPeer {
  public:
    Player(const std::filesystem::path& folder, const char* account, std::uint16_t port,
           std::uint8_t lanHost)
        : HeadlessPeer(folder, Gbk(account), Gbk("pw"), port, lanHost) {
        machine().launcher.onLaunch = [this](const platform::Launch& launch) {
            auto setup = SimulatedTotalAnnihilation::readLaunchFile(machine().files, launch.path,
                                                                    launch.parameters);
            if (setup) {
                game = std::make_shared<SimulatedTotalAnnihilation>(*setup);
                game->setHostAnswers(setup->address == Gbk("10.140.0.1"));
                window = machine().gameWindows.open(Gbk("Total Annihilation"), game);
            }
        };
    }
    [[nodiscard]] bool gameAt(Screen screen) const { return game && game->screen() == screen; }
    // Start records (4:20) in the traffic log, sent ("Send") or received ("Recv").
    [[nodiscard]] long startRecords(const std::string& direction) const {
        const std::string log = ardentis::testing::readFile(logFile());
        const std::string needle = " " + direction + " 4:20 ";
        long count = 0;
        for (auto at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) {
            ++count;
        }
        return count;
    }
    // The player's mark in the room's list (准备 column), and the one room's state (状态).
    [[nodiscard]] Gbk readyMark(const char* account) {
        const auto row = ui().battleroom.lvRoom.findCaption(Gbk(account));
        return row ? ui().battleroom.lvRoom.subItem(*row, 2) : Gbk("<no row>");
    }
    [[nodiscard]] Gbk roomState() {
        const auto& rooms = ui().main.lvrooms;
        return rooms.rowCount() == 1 ? rooms.subItem(0, 1) : Gbk("<no room>");
    }

    std::shared_ptr<SimulatedTotalAnnihilation> game;
    platform::WindowHandle window = platform::kNoWindow;
};

// alice, bob and carol, logged in and each listing all three.
class Session : public ::testing::Test {
  protected:
    void SetUp() override {
        options_.autoRegister = true;
        server_ = std::make_unique<server::testing::RunningServer>(options_);
        std::uint8_t lan = 1;  // virtual-LAN addresses 10.140.0.N, written into records only
        for (auto* player : {&alice_, &bob_, &carol_}) {
            const char* name = player == &alice_ ? "alice" : player == &bob_ ? "bob" : "carol";
            *player = std::make_unique<Player>(dir_.path(), name, server_->port(), lan++);
            (*player)->start();
        }
        ASSERT_TRUE(everyone([](Player& p) {
            return p.ui().main.BitBtn1.caption() == zh<"断开">() &&
                   p.ui().main.lvlobby.rowCount() == 3;
        }));
    }
    bool runUntil(const std::function<bool()>& done) {
        return e2e::runUntil({alice_.get(), bob_.get(), carol_.get()}, done);
    }
    bool everyone(const std::function<bool(Player&)>& holds) {
        return runUntil([&] { return holds(*alice_) && holds(*bob_) && holds(*carol_); });
    }
    // alice's room, as everyone's lobby lists it.
    void aliceOpensARoom(const char* password, int places) {
        ASSERT_TRUE(alice_->ui().main.BitBtn2.click());
        alice_->ui().battleroom.pwd.type(Gbk(password));
        alice_->ui().battleroom.Trackplayers.drag(places);
        ASSERT_TRUE(alice_->ui().battleroom.BitBtn1.click());
        ASSERT_TRUE(everyone([](Player& p) { return p.roomState() == zh<"讨论中">(); }));
    }
    // One player's battle ends; the automation closes the score screen and the client notices the
    // game has gone.
    void endBattle(Player& player, const char* account) {
        const Gbk back = zh<"作战指挥室>>">() + Gbk(account) + zh<"从战斗中返回。">();
        player.game->endBattle();
        ASSERT_TRUE(runUntil([&] {
            return !player.machine().gameWindows.isOpen(player.window) &&
                   alice_->roomChatHas(back) && bob_->roomChatHas(back);
        }));
    }

    ardentis::testing::ScratchDirectory dir_;
    server::ServerOptions options_ = server::testing::testOptions(dir_);
    std::unique_ptr<server::testing::RunningServer> server_;
    std::unique_ptr<Player> alice_, bob_, carol_;
};

// A locked room with two places: bob enters with the password and finds the options alice set
// before he came; ready marks and option changes travel; carol finds it full.
TEST_F(Session, AJoinerGetsTheOptionsTheHostChangedBeforeHeCame) {
    ASSERT_NO_FATAL_FAILURE(aliceOpensARoom("pw1", 2));
    EXPECT_EQ(carol_->ui().main.lvrooms.subItem(0, 6), Gbk("******"));
    auto& host = alice_->ui().battleroom;
    auto& joiner = bob_->ui().battleroom;
    host.RGcommander.click(0);
    host.Trackmetal.drag(7);
    bob_->machine().inputpassword.answers.push_back(Gbk("pw1"));
    bob_->ui().main.lvrooms.doubleClick(0);
    ASSERT_TRUE(runUntil([&] {
        return host.lvRoom.rowCount() == 2 && joiner.lvRoom.rowCount() == 2 &&
               joiner.RGcommander.itemIndex() == 0 && joiner.Trackmetal.position() == 7;
    }));
    EXPECT_EQ(joiner.lvRoom.caption(0), Gbk("alice"));
    EXPECT_EQ(joiner.Lmetal.caption(), Gbk("7000"));
    EXPECT_EQ(host.RGcommander.itemIndex(), 0);
    EXPECT_EQ(host.Trackmetal.position(), 7);

    EXPECT_FALSE(host.BitBtn2.enabled());
    ASSERT_TRUE(joiner.CheckBox1.click());
    host.rglos.click(2);
    ASSERT_TRUE(runUntil([&] { return host.BitBtn2.enabled() && joiner.rglos.itemIndex() == 2; }));
    EXPECT_EQ(alice_->readyMark("bob"), zh<"就绪">());

    ASSERT_TRUE(runUntil([&] { return carol_->ui().main.lvrooms.subItem(0, 5) == Gbk("2/2"); }));
    carol_->machine().inputpassword.answers.push_back(Gbk("pw1"));
    carol_->ui().main.lvrooms.doubleClick(0);
    ASSERT_TRUE(runUntil([&] { return !carol_->machine().infoBox.shown.empty(); }));
    EXPECT_EQ(carol_->ui().battleroom.lvRoom.rowCount(), 0);
}

// Lobby chat reaches everyone; then alice hosts, bob plays, carol watches from the lobby: one start
// record, and the room open again after the game.
TEST_F(Session, OneGameThroughTheServerWithOneStartRecordAndTheRoomOpenAgainAfter) {
    alice_->ui().main.MemSend.typeLine(Gbk("hello all"));
    ASSERT_TRUE(everyone([](Player& p) { return p.lobbyChatHas(Gbk("alice>>hello all")); }));
    ASSERT_NO_FATAL_FAILURE(aliceOpensARoom("", 8));
    bob_->ui().main.lvrooms.doubleClick(0);
    ASSERT_TRUE(runUntil([&] { return bob_->ui().battleroom.lvRoom.rowCount() == 2; }));
    ASSERT_TRUE(bob_->ui().battleroom.CheckBox1.click());
    ASSERT_TRUE(runUntil([&] { return alice_->ui().battleroom.BitBtn2.enabled(); }));

    ASSERT_TRUE(alice_->ui().battleroom.BitBtn2.click());
    ASSERT_TRUE(runUntil([&] {
        return alice_->gameAt(Screen::Battleroom) && bob_->gameAt(Screen::Battleroom);
    })) << "joiner's game: "
        << (bob_->game ? "started" : "not started");
    const auto hostFile = alice_->machine().files.readFile(Gbk("C:\\TA\\tmphost.ini"));
    EXPECT_NE(hostFile.value_or("").find("\r\naddress=10.140.0.1\r\n"), std::string::npos);
    EXPECT_EQ(bob_->game->setup().address, Gbk("10.140.0.1"));
    // The host's automation keeps seeing its battle room; still one start record.
    const int looks = alice_->machine().gameWindows.captures();
    ASSERT_TRUE(runUntil([&] {
        return alice_->machine().gameWindows.captures() >= looks + 50 &&
               alice_->readyMark("bob") == zh<"战斗">();
    }));
    ASSERT_TRUE(everyone([](Player& p) { return p.roomState() == zh<"战斗中">(); }));
    EXPECT_EQ(alice_->startRecords("Send"), 1);
    EXPECT_EQ(bob_->startRecords("Recv"), 1);
    EXPECT_EQ(bob_->machine().launcher.launches().size(), 1U);
    EXPECT_EQ(carol_->startRecords("Recv"), 0);  // room records stay in the room

    alice_->game->everyoneReady();
    bob_->game->everyoneReady();
    ASSERT_TRUE(
        runUntil([&] { return alice_->gameAt(Screen::Battle) && bob_->gameAt(Screen::Battle); }));
    ASSERT_NO_FATAL_FAILURE(endBattle(*bob_, "bob"));
    ASSERT_TRUE(runUntil([&] { return alice_->readyMark("bob") == zh<"等待">(); }));
    EXPECT_EQ(carol_->roomState(), zh<"战斗中">());
    ASSERT_NO_FATAL_FAILURE(endBattle(*alice_, "alice"));
    ASSERT_TRUE(everyone([](Player& p) { return p.roomState() == zh<"讨论中">(); }));
    EXPECT_TRUE(bob_->ui().battleroom.CheckBox1.enabled());
    carol_->ui().main.lvrooms.doubleClick(0);  // a room back in discussion can be entered
    ASSERT_TRUE(runUntil([&] { return alice_->ui().battleroom.lvRoom.rowCount() == 3; }));
    EXPECT_TRUE(carol_->machine().infoBox.shown.empty());
}

}  // namespace
}  // namespace ardentis::e2e
