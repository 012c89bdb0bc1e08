// A whole session of headless clients against the real server on loopback: a locked room and a
// Total Annihilation game in it, the games simulated on each player's fake machine.
#include <gtest/gtest.h>

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

// A player with a simulated Total Annihilation, which joins only a game at alice's address.
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
                (void)machine().gameWindows.open(Gbk("Total Annihilation"), game);
            }
        };
        start();
    }
    [[nodiscard]] bool gameAt(Screen screen) const { return game && game->screen() == screen; }
    [[nodiscard]] Gbk readyMark(const char* account) {
        const auto row = ui().battleroom.lvRoom.findCaption(Gbk(account));
        return row ? ui().battleroom.lvRoom.subItem(*row, 2) : Gbk();
    }
    [[nodiscard]] Gbk roomState() { return ui().main.lvrooms.subItem(0, 1); }

    std::shared_ptr<SimulatedTotalAnnihilation> game;
};

class Session : public ::testing::Test {
  protected:
    bool runUntil(const std::function<bool()>& done) {
        return e2e::runUntil({&alice_, &bob_, &carol_}, done);
    }
    bool everyone(const std::function<bool(Player&)>& holds) {
        return runUntil([&] { return holds(alice_) && holds(bob_) && holds(carol_); });
    }

    ardentis::testing::ScratchDirectory dir_;
    server::testing::RunningServer server_{server::testing::testOptions(dir_)};
    Player alice_{dir_.path(), "alice", server_.port(), 1};
    Player bob_{dir_.path(), "bob", server_.port(), 2};
    Player carol_{dir_.path(), "carol", server_.port(), 3};
};

// alice locks a room and sets an option; bob enters with the password, finds it and gets ready.
// alice hosts a game that bob plays and carol watches from the lobby; the room is open after it.
TEST_F(Session, ARoomAndOneGameThroughTheServer) {
    ASSERT_TRUE(everyone([](Player& p) { return p.ui().main.lvlobby.rowCount() == 3; }));
    auto& host = alice_.ui().battleroom;
    auto& joiner = bob_.ui().battleroom;
    ASSERT_TRUE(alice_.ui().main.BitBtn2.click());
    host.pwd.type(Gbk("pw1"));
    ASSERT_TRUE(host.BitBtn1.click());
    ASSERT_TRUE(everyone([](Player& p) { return p.roomState() == zh<"讨论中">(); }));
    host.Trackmetal.drag(7);
    bob_.machine().inputpassword.answers.push_back(Gbk("pw1"));
    bob_.ui().main.lvrooms.doubleClick(0);
    ASSERT_TRUE(runUntil([&] {
        return host.lvRoom.rowCount() == 2 && joiner.Trackmetal.position() == 7;
    })) << "the joiner did not get the options set before he came";
    ASSERT_TRUE(joiner.CheckBox1.click());
    ASSERT_TRUE(runUntil([&] { return host.BitBtn2.enabled(); }));

    ASSERT_TRUE(host.BitBtn2.click());
    ASSERT_TRUE(runUntil([&] {
        return alice_.gameAt(Screen::Battleroom) && bob_.gameAt(Screen::Battleroom);
    })) << "the joiner's game did not find the host";
    ASSERT_TRUE(everyone([](Player& p) { return p.roomState() == zh<"战斗中">(); }));
    // The host's automation keeps looking at its battle room meanwhile.
    const int looks = alice_.machine().gameWindows.captures();
    ASSERT_TRUE(runUntil([&] {
        return alice_.machine().gameWindows.captures() >= looks + 50 &&
               alice_.readyMark("bob") == zh<"战斗">();
    }));

    alice_.game->everyoneReady();
    bob_.game->everyoneReady();
    ASSERT_TRUE(
        runUntil([&] { return alice_.gameAt(Screen::Battle) && bob_.gameAt(Screen::Battle); }));
    // Each battle ends; the automation closes the score screen and the client notices.
    bob_.game->endBattle();
    ASSERT_TRUE(runUntil([&] { return alice_.readyMark("bob") == zh<"等待">(); }));
    alice_.game->endBattle();
    ASSERT_TRUE(everyone([](Player& p) { return p.roomState() == zh<"讨论中">(); }));
}

}  // namespace
}  // namespace ardentis::e2e
