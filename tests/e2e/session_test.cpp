// A whole session of headless clients against the real server on loopback: a locked room and a
// Total Annihilation game in it, the games simulated on each player's fake machine.
#include <gtest/gtest.h>

#include "cuttable_link.h"
#include "headless_peer.h"
#include "platform/fake/simulated_total_annihilation.h"
#include "server/account_store.h"
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
    CuttableLink bobsLink_{server_.port()};
    Player alice_{dir_.path(), "alice", server_.port(), 1};
    Player bob_{dir_.path(), "bob", bobsLink_.port(), 2};
    Player carol_{dir_.path(), "carol", server_.port(), 3};
};

// alice locks a room and sets an option; bob enters with the password, finds it and gets ready.
// alice hosts a game that bob plays and carol watches from the lobby; bob's lobby connection
// drops in the battle and comes back; the room is open after it.
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
    // bob's lobby connection drops in the battle: he comes back into the room, his game goes on.
    const auto bobInRoom = [&] { return bob_.ui().client.connection()->lobby.myroom != nullptr; };
    bobsLink_.cut();
    ASSERT_TRUE(runUntil([&] { return !bobInRoom(); }));
    ASSERT_TRUE(runUntil([&] { return bobInRoom() && joiner.lvRoom.rowCount() == 2; }));
    EXPECT_TRUE(bob_.machine().launcher.launches().size() == 1 && bob_.gameAt(Screen::Battle));
    // Each battle ends; the automation closes the score screen and the client notices.
    bob_.game->endBattle();
    ASSERT_TRUE(runUntil([&] { return alice_.readyMark("bob") == zh<"等待">(); }));
    alice_.game->endBattle();
    ASSERT_TRUE(everyone([](Player& p) { return p.roomState() == zh<"讨论中">(); }));
}

// The server restarts under three players: each comes back by itself and finds the others
// listed again, except the one whose password was changed meanwhile: its tries stop with the
// usual message.
TEST(Reconnection, PlayersComeBackAfterAServerRestartAChangedPasswordStopsTheTries) {
    const ardentis::testing::ScratchDirectory dir;
    auto options = server::testing::testOptions(dir);
    auto server = std::make_unique<server::testing::RunningServer>(options);
    options.port = server->port();  // the restarted server listens where the players look
    Player alice{dir.path(), "alice", options.port, 1};
    Player bob{dir.path(), "bob", options.port, 2};
    Player carol{dir.path(), "carol", options.port, 3};
    const std::vector<HeadlessPeer*> players{&alice, &bob, &carol};
    const auto listed = [](Player& p, int rows) { return p.ui().main.lvlobby.rowCount() == rows; };
    ASSERT_TRUE(
        runUntil(players, [&] { return listed(alice, 3) && listed(bob, 3) && listed(carol, 3); }));

    server.reset();
    const Gbk retrying = zh<"失去和服务器的联系,正在自动重新连接......">();
    ASSERT_TRUE(runUntil(players, [&] {
        return alice.lobbyChatHas(retrying) && bob.lobbyChatHas(retrying) &&
               carol.lobbyChatHas(retrying);
    }));
    {
        auto store = server::AccountStore::open(options.database).value();
        ASSERT_TRUE(store.remove("carol").has_value());
        ASSERT_TRUE(
            store.add({"carol", server::PasswordHasher::hash("new", options.hashCost).value(),
                       "carol", 0, 0, 0, 0}));
    }
    server = std::make_unique<server::testing::RunningServer>(options);
    const Gbk back = zh<"已重新连接到服务器。">();
    auto& refused = carol.machine().infoBox.shown;
    ASSERT_TRUE(runUntil(players, [&] {
        return alice.lobbyChatHas(back) && bob.lobbyChatHas(back) && listed(alice, 2) &&
               listed(bob, 2) && !refused.empty();
    }));
    EXPECT_EQ(refused, (std::vector<Gbk>{zh<"帐号密码不对，登录失败!">()}));
    EXPECT_FALSE(carol.ui().client.FormMain.reconnecting());
    EXPECT_EQ(carol.ui().main.lvlobby.rowCount(), 0);
}

// The host and then a member lose their connections in the middle of a room: each comes back by
// itself into the room, and nobody hears of anyone leaving meanwhile. A member gone for good is
// seen leaving once the server's grace ends.
TEST(Reconnection, AHostAndAMemberCutOffComeBackIntoTheirRoom) {
    const ardentis::testing::ScratchDirectory dir;
    auto options = server::testing::testOptions(dir);
    options.seatGrace = std::chrono::seconds(4);
    const server::testing::RunningServer server(options);
    CuttableLink aliceLink(server.port());
    CuttableLink bobLink(server.port());
    Player alice{dir.path(), "alice", aliceLink.port(), 1};
    auto bob = std::make_unique<Player>(dir.path(), "bob", bobLink.port(), 2);
    auto& host = alice.ui().battleroom;
    auto& member = bob->ui().battleroom;
    const auto run = [&](const std::function<bool()>& done) {
        std::vector<HeadlessPeer*> players{&alice};
        if (bob) {
            players.push_back(bob.get());
        }
        return runUntil(players, done);
    };
    ASSERT_TRUE(run([&] {
        return bob->ui().main.lvrooms.rowCount() == 0 && bob->ui().main.BitBtn2.enabled();
    }));
    ASSERT_TRUE(alice.ui().main.BitBtn2.click() && host.BitBtn1.click());
    ASSERT_TRUE(run([&] { return bob->ui().main.lvrooms.rowCount() == 1; }));
    bob->ui().main.lvrooms.doubleClick(0);
    ASSERT_TRUE(run([&] { return host.lvRoom.rowCount() == 2 && member.lvRoom.rowCount() == 2; }));

    const auto inRoom = [](Player& player) {
        return player.ui().client.connection()->lobby.myroom != nullptr;
    };
    const auto backInRoom = [&](Player& dropped) {
        return inRoom(dropped) && dropped.ui().battleroom.lvRoom.rowCount() == 2;
    };
    aliceLink.cut();
    ASSERT_TRUE(run([&] { return !inRoom(alice); })) << "the cut went unnoticed";
    ASSERT_TRUE(run([&] { return backInRoom(alice); }));
    bobLink.cut();
    ASSERT_TRUE(run([&] { return !inRoom(*bob); })) << "the cut went unnoticed";
    ASSERT_TRUE(run([&] { return backInRoom(*bob) && host.lvRoom.rowCount() == 2; }));
    // Neither heard of a room left or closed, or of a user gone.
    for (const char* account : {"alice", "bob"}) {
        const std::string log = ardentis::testing::readFile(dir / (std::string(account) + ".log"));
        for (const char* kind : {" Recv 4:12 ", " Recv 4:9 ", " Recv 2:1 "}) {
            EXPECT_EQ(log.find(kind), std::string::npos) << account << kind;
        }
    }

    bob.reset();
    ASSERT_TRUE(run([&] { return host.lvRoom.rowCount() == 1; }));
}

}  // namespace
}  // namespace ardentis::e2e
