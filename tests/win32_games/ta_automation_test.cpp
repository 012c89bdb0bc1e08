#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>

#include "game/launch_files.h"
#include "game/menu_automation.h"
#include "tests/win32_games/environment_override.h"
#include "tests/win32_games/game_test_fixture.h"
#include "tests/win32_games/sim_paths.h"
#include "tests/win32_games/sim_process.h"

namespace ardentis::testing {
namespace {

using game::TAutoClicker;
using text::Gbk;

// The menu automation on the real event loop and windows drives the simulated Total
// Annihilation, started by the shell as the client starts it, through a whole game.
class TaAutomation : public GameTestFixture {
  protected:
    // Writes the role's launch file, starts the game through the shell with the role's
    // command, and takes hold of its process once its window is there.
    void launch(game::Role role) {
        const Gbk exe = install("sim_totala.exe", "totala.exe");
        if (role == game::Role::Host) {
            ASSERT_TRUE(game::createhostinifile(files_, scratch_.gbk(), protocol::RoomRecord{},
                                                Gbk("SHERWOOD"), Gbk("10.140.0.9"), Gbk("alice"))
                            .has_value());
        } else {
            ASSERT_TRUE(
                game::createclientinifile(files_, scratch_.gbk(), Gbk("10.140.0.9"), Gbk("bob"))
                    .has_value());
        }
        const auto command =
            game::launchCommand(game::Game::TotalAnnihilation, role,
                                Gbk(role == game::Role::Host ? "alice" : "bob"), Gbk("10.140.0.9"));
        ASSERT_TRUE(launcher_.shellExecute(exe, command.parameters, command.mode).has_value());
        window_ = waitForWindow("Total Annihilation");
        ASSERT_NE(window_, platform::kNoWindow);
        auto owner = SimProcess::ownerOf(window_);
        ASSERT_TRUE(owner.has_value());
        game_.emplace(*std::move(owner));
    }
    // The automation runs until it has closed the game, and the game's process ends.
    void runToTheEnd(int mode) {
        clicker_.Start(mode);
        ASSERT_TRUE(waitFor([this] { return !clicker_.running(); })) << "automation still on";
        ASSERT_TRUE(waitFor([this] { return !game_->running(); })) << "game still running";
        EXPECT_EQ(game_->exitCode(), std::optional<std::uint32_t>(0));
        EXPECT_EQ(windows_.findWindow(Gbk("Total Annihilation")), platform::kNoWindow);
    }

    EnvironmentOverride ready_{L"ARDENTIS_SIM_TA_READY_MS", L"200"};
    EnvironmentOverride battle_{L"ARDENTIS_SIM_TA_BATTLE_MS", L"200"};
    int startCalls_ = 0;
    TAutoClicker clicker_{loop_, windows_, system_, log_, [this] { ++startCalls_; }};
    platform::WindowHandle window_ = platform::kNoWindow;
    std::optional<SimProcess> game_;
};

TEST_F(TaAutomation, HostGoesFromConnectThroughItsBattleRoomToTheScoreAndIsClosed) {
    launch(game::Role::Host);
    ASSERT_FALSE(HasFatalFailure());
    // The shell passes on the launch command's maximised window (shown just after it is made).
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    EXPECT_TRUE(waitFor([this] { return IsZoomed(reinterpret_cast<HWND>(window_)) != FALSE; }));
    runToTheEnd(TAutoClicker::kHostMode);
    EXPECT_GE(startCalls_, 1);
    EXPECT_TRUE(inOrder(simLog(), {"start host=1 player=alice address=10.140.0.9", "screen connect",
                                   "click 498,329", "screen battleroom", "screen battleroomready",
                                   "click 574,451", "screen battle", "screen score", "closed"}));
    EXPECT_EQ(simLogCount("screen gamelist"), 0);
    EXPECT_GE(trafficLinesWith("run TA in Menuindex:8"), 1);
}

TEST_F(TaAutomation, JoinerJoinsFromTheGameListAndPlaysToTheScore) {
    launch(game::Role::Joiner);
    ASSERT_FALSE(HasFatalFailure());
    runToTheEnd(TAutoClicker::kJoinMode);
    EXPECT_GE(startCalls_, 1);
    EXPECT_TRUE(inOrder(simLog(), {"start host=0 player=bob address=10.140.0.9", "screen connect",
                                   "click 498,329", "screen gamelist", "click 482,414",
                                   "screen battleroom", "screen battleroomready", "click 574,451",
                                   "screen battle", "screen score", "closed"}));
}

TEST_F(TaAutomation, JoinerWhoseHostNeverAnswersRetriesFourTimesThenClosesTheGame) {
    const EnvironmentOverride silentHost(L"ARDENTIS_SIM_TA_HOST_ANSWERS", L"0");
    launch(game::Role::Joiner);
    ASSERT_FALSE(HasFatalFailure());
    runToTheEnd(TAutoClicker::kJoinMode);
    EXPECT_EQ(startCalls_, 0);
    EXPECT_TRUE(
        inOrder(simLog(), {"screen gamelist", "click 482,414", "screen joinfailed", "click 482,364",
                           "click 482,364", "click 482,364", "click 482,364", "closed"}));
    EXPECT_EQ(simLogCount("click 482,364"), 4);
    EXPECT_EQ(simLogCount("screen battleroom"), 0);
}

// Started by hand rather than through the shell, to see its exit code.
class TaLaunchFile : public GameTestFixture {};

TEST_F(TaLaunchFile, WithoutAReadableLaunchFileTheGameEndsWithCodeTwoAndNoWindow) {
    (void)install("sim_totala.exe", "totala.exe");
    for (const wchar_t* arguments : {L"-c tmphost.ini", L"", L"tmphost.ini"}) {
        auto game = SimProcess::start(scratch_.path() / "totala.exe", arguments);
        ASSERT_TRUE(game.has_value());
        ASSERT_TRUE(waitFor([&] { return !game->running(); }));
        EXPECT_EQ(game->exitCode(), std::optional<std::uint32_t>(2)) << arguments;
    }
    EXPECT_TRUE(simLog().empty());
    // With the file there, the same start gives the game.
    scratch_.addFile("tmphost.ini", "[totala]\r\ncreator=1\r\nplayer=alice\r\n");
    auto game = SimProcess::start(scratch_.path() / "totala.exe", L"-c tmphost.ini");
    ASSERT_TRUE(game.has_value());
    EXPECT_NE(waitForWindow("Total Annihilation"), platform::kNoWindow);
    EXPECT_TRUE(inOrder(simLog(), {"start host=1 player=alice address=", "screen connect"}));
}

}  // namespace
}  // namespace ardentis::testing
