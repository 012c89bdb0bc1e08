#include <gtest/gtest.h>

#include <optional>

#include "game/game_end.h"
#include "game/launch_files.h"
#include "game/supcom_watcher.h"
#include "platform/network_info.h"
#include "tests/win32_games/environment_override.h"
#include "tests/win32_games/game_test_fixture.h"
#include "tests/win32_games/recording_room.h"
#include "tests/win32_games/sim_process.h"

namespace ardentis::testing {
namespace {

using text::Gbk;

constexpr std::uint16_t kGamePort = 5000;

// TSPCHook follows the simulated Supreme Commander, started through the shell with the
// client's command line, through the real window and the real port check.
class ScWatch : public GameTestFixture {
  protected:
    void SetUp() override {
        // The game's port is fixed; something else holding it would spoil every case.
        ASSERT_TRUE(network_.tryBindUdp(kGamePort).has_value())
            << "UDP port 5000 is in use on this machine";
    }
    void launch(game::Role role) {
        const Gbk exe = install("sim_supcom.exe", "supremecommander.exe");
        const auto command =
            game::launchCommand(game::Game::SupremeCommander, role,
                                Gbk(role == game::Role::Host ? "alice" : "bob"), Gbk("127.0.0.1"));
        ASSERT_TRUE(launcher_.shellExecute(exe, command.parameters, command.mode).has_value());
        window_ = waitForWindow("Supreme Commander");
        ASSERT_NE(window_, platform::kNoWindow);
        auto owner = SimProcess::ownerOf(window_);
        ASSERT_TRUE(owner.has_value());
        game_.emplace(*std::move(owner));
    }
    [[nodiscard]] bool portFree() const { return network_.tryBindUdp(kGamePort).has_value(); }

    platform::SystemNetworkInfo network_;
    RecordingRoom room_;
    EnvironmentOverride hostAfter_{L"ARDENTIS_SIM_SC_HOST_MS", L"200"};
    std::optional<SimProcess> game_;
    platform::WindowHandle window_ = platform::kNoWindow;
};

TEST_F(ScWatch, HostsTakenPortSendsTheStartAndGameOverPutsTheRoomBack) {
    const EnvironmentOverride gameOver(L"ARDENTIS_SIM_SC_GAME_MS", L"5000");
    launch(game::Role::Host);
    ASSERT_FALSE(HasFatalFailure());
    game::TSPCHook hook(loop_, windows_, network_, system_, room_);
    hook.Start();
    ASSERT_TRUE(waitFor([&] { return room_.startCalls > 0; }));
    EXPECT_TRUE(room_.startGuard);
    EXPECT_TRUE(room_.notices.empty());
    ASSERT_TRUE(waitFor([&] { return !hook.watching(); }));
    ASSERT_EQ(room_.notices.size(), 1U);
    EXPECT_EQ(room_.notices[0], game::returnNotice(Gbk("alice")));
    EXPECT_FALSE(room_.startGuard);
    ASSERT_TRUE(waitFor([&] { return !game_->running(); }));
    EXPECT_EQ(game_->exitCode(), std::optional<std::uint32_t>(0));
    EXPECT_TRUE(portFree());
    EXPECT_TRUE(inOrder(simLog(), {"start host=1 player=alice address=", "port 5000 taken",
                                   "game over", "closed"}));
}

TEST_F(ScWatch, JoinerNeverTakesThePortSoNoStartGoesOut) {
    const EnvironmentOverride gameOver(L"ARDENTIS_SIM_SC_GAME_MS", L"2500");
    launch(game::Role::Joiner);
    ASSERT_FALSE(HasFatalFailure());
    game::TSPCHook hook(loop_, windows_, network_, system_, room_);
    hook.Start();
    ASSERT_TRUE(waitFor([&] { return !hook.watching(); }));
    EXPECT_EQ(room_.startCalls, 0);
    EXPECT_EQ(room_.notices.size(), 1U);
    EXPECT_TRUE(
        inOrder(simLog(), {"start host=0 player=bob address=127.0.0.1", "game over", "closed"}));
    EXPECT_EQ(simLogCount("port 5000 taken"), 0);
}

TEST_F(ScWatch, TheCloseMessageEndsTheGameAndFreesThePortBeforeGameOver) {
    const EnvironmentOverride gameOver(L"ARDENTIS_SIM_SC_GAME_MS", L"600000");
    launch(game::Role::Host);
    ASSERT_FALSE(HasFatalFailure());
    // Read from its log, as checking the port over and over would keep taking it first.
    ASSERT_TRUE(waitFor([&] { return simLogCount("port 5000 taken") == 1; }));
    EXPECT_FALSE(portFree());
    windows_.sendMessage(window_, platform::kWmClose, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !game_->running(); }));
    EXPECT_EQ(game_->exitCode(), std::optional<std::uint32_t>(0));
    EXPECT_TRUE(portFree());
    EXPECT_TRUE(inOrder(simLog(), {"port 5000 taken", "closed"}));
    EXPECT_EQ(simLogCount("game over"), 0);
}

}  // namespace
}  // namespace ardentis::testing
