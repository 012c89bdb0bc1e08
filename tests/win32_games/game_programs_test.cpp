// The client's Win32 game side (window reading, clicks, the shell start, the port check) on
// the real event loop against the simulated games of tests/sim_games running as processes of
// their own. What the automation and the watchers decide is the game suite's, on the fakes.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/launch_files.h"
#include "game/menu_automation.h"
#include "game/supcom_watcher.h"
#include "platform/fake/simulated_total_annihilation.h"
#include "platform/file_append.h"
#include "platform/network_info.h"
#include "platform/win32/win32_event_loop.h"
#include "platform/win32/win32_game_windows.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_system_info.h"
#include "tests/game/recording_room.h"
#include "tests/support/scratch_directory.h"

namespace ardentis::testing {
namespace {

using game::TAutoClicker;
using platform::PixelPoint;
using Screen = platform::SimulatedTotalAnnihilation::Screen;
using text::Gbk;
using Variables = std::vector<std::pair<const wchar_t*, const wchar_t*>>;

// A scratch game directory, the real event loop, windows, launcher and files.
class GameTestFixture : public ::testing::Test {
  protected:
    ~GameTestFixture() override {
        TerminateProcess(game_, 1);  // no test leaves a game behind; fails once it has ended
        WaitForSingleObject(game_, 10000);
        CloseHandle(game_);
        for (const auto& [name, value] : environment_) {
            SetEnvironmentVariableW(name, nullptr);
        }
    }
    // The programs this process starts inherit its environment.
    void setEnvironment(const Variables& variables) {
        environment_ = variables;
        for (const auto& [name, value] : variables) {
            SetEnvironmentVariableW(name, value);
        }
    }
    bool waitFor(const std::function<bool()>& done) {
        return loop_.runUntil(done, std::chrono::seconds(20));
    }
    // Copies the simulated game (Total Annihilation or Supreme Commander) into the game
    // directory under the game's name and starts it through the shell, as the client does; its
    // window, once there.
    platform::WindowHandle start(bool ta, const game::LaunchCommand& command) {
        const char* exe = ta ? "totala.exe" : "supremecommander.exe";
        std::filesystem::copy_file((platform::executableDirectory() / ARDENTIS_SIM_GAMES_DIR /
                                    (ta ? "sim_totala.exe" : "sim_supcom.exe"))
                                       .lexically_normal(),
                                   scratch_ / exe,
                                   std::filesystem::copy_options::overwrite_existing);
        EXPECT_TRUE(
            launcher_.shellExecute(scratch_.gbk() + Gbk(exe), command.parameters, command.mode));
        const Gbk title(ta ? "Total Annihilation" : "Supreme Commander");
        platform::WindowHandle found = platform::kNoWindow;
        (void)waitFor([&] { return (found = windows_.findWindow(title)) != 0; });
        CloseHandle(game_);
        DWORD id = 0;
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        GetWindowThreadProcessId(reinterpret_cast<HWND>(found), &id);
        game_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id);
        return found;
    }
    [[nodiscard]] bool gameRunning() const {
        return game_ != nullptr && WaitForSingleObject(game_, 0) == WAIT_TIMEOUT;
    }
    // Whether the games' simgame.log holds these lines in this order, others between them: an
    // automation may look again before a repaint shows under Wine, and click once more.
    [[nodiscard]] ::testing::AssertionResult logged(const std::vector<std::string>& lines) const {
        const std::string text = "\n" + readFile(scratch_ / "simgame.log");
        std::size_t at = 0;
        for (const auto& line : lines) {
            if ((at = text.find("\n" + line + "\n", at)) == std::string::npos) {
                return ::testing::AssertionFailure() << line << " missing or late in" << text;
            }
            ++at;
        }
        return ::testing::AssertionSuccess();
    }

    ScratchDirectory scratch_;  // first in, last out: the programs in it end before it goes
    platform::Win32EventLoop loop_;
    platform::Win32GameWindows windows_;
    platform::Win32ProcessLauncher launcher_;
    platform::Win32SystemInfo system_;
    // Wakes the loop now and then, so that waits on other processes see their progress.
    std::unique_ptr<platform::Timer> poll_ = loop_.createTimer(20, true, [] {});
    HANDLE game_ = nullptr;
    Variables environment_;
};

// The simulated game's real window, read from this process through Win32GameWindows at the
// automation's probes and the pixels beside each, shows each screen as the model paints it; the
// shell shows it maximized when asked (a joiner's start). The whole game with the client is the
// end-to-end run's.
TEST_F(GameTestFixture, ProbesReadExactlyAsTheModelPaintsEachScreen) {
    scratch_.addFile("tmp.ini", "[totala]\r\ncreator=1\r\nplayer=alice\r\n");
    std::vector<PixelPoint> points;
    for (const auto& probe : TAutoClicker::probes()) {
        const PixelPoint at = probe.at;
        points.insert(points.end(),
                      {at, {at.x + 1, at.y}, {at.x - 1, at.y}, {at.x, at.y + 1}, {at.x, at.y - 1}});
    }
    for (int screen = 0; screen <= static_cast<int>(Screen::Score); ++screen) {
        SCOPED_TRACE(screen);
        const std::wstring number = std::to_wstring(screen);
        setEnvironment({{L"ARDENTIS_SIM_TA_SCREEN", number.c_str()}});
        const bool maximized = screen == 0;
        const auto window =
            start(true, {Gbk("-c tmp.ini"), maximized ? platform::WindowMode::Maximized
                                                      : platform::WindowMode::Normal});
        ASSERT_NE(window, platform::kNoWindow);
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        EXPECT_TRUE(waitFor(
            [&] { return (IsZoomed(reinterpret_cast<HWND>(window)) != FALSE) == maximized; }));
        platform::SimulatedTotalAnnihilation model({});
        model.show(static_cast<Screen>(screen));
        std::vector<platform::Rgb> painted;
        for (const PixelPoint at : points) {
            painted.push_back(model.pixel(at));
        }
        std::vector<platform::Rgb> read(points.size());
        (void)waitFor([&] { return windows_.readPixels(window, points, read) && read == painted; });
        EXPECT_EQ(read, painted);
        windows_.sendMessage(window, platform::kWmClose, 0, 0);
        ASSERT_TRUE(waitFor([&] { return !gameRunning(); }));
    }
}

// TSPCHook follows the simulated Supreme Commander, started through the shell with the
// host's command line, through the real window and the real port check; what it decides is
// the game start suite's.
TEST_F(GameTestFixture, SupremeCommanderHostsTakenPortSendsTheStartAndGameOverEndsTheWatch) {
    const platform::SystemNetworkInfo network;
    ASSERT_TRUE(network.tryBindUdp(5000).has_value()) << "UDP port 5000 is in use";
    setEnvironment({{L"ARDENTIS_SIM_SC_HOST_MS", L"200"}, {L"ARDENTIS_SIM_SC_GAME_MS", L"5000"}});
    const auto window = start(false, game::launchCommand(game::Game::SupremeCommander,
                                                         game::Role::Host, Gbk("alice"), Gbk()));
    ASSERT_NE(window, platform::kNoWindow);
    RecordingRoom room;
    game::TSPCHook hook(loop_, windows_, network, system_, room);
    hook.Start();
    ASSERT_TRUE(waitFor([&] { return room.startCalls > 0; })) << "the taken port is not seen";
    EXPECT_TRUE(room.notices.empty());
    ASSERT_TRUE(waitFor([&] { return !hook.watching(); })) << "the closed window is not seen";
    EXPECT_EQ(room.notices.size(), 1U);
    ASSERT_TRUE(waitFor([&] { return !gameRunning(); }));
    EXPECT_TRUE(logged({"start /exitongameover /hostgame udp 5000 alice game of alice",
                        "port 5000 taken", "game over", "closed"}));
}

}  // namespace
}  // namespace ardentis::testing
