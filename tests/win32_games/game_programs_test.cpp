#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/memory/memory_check_box.h"
#include "controls/memory/memory_list_view.h"
#include "game/game_end.h"
#include "game/game_room.h"
#include "game/launch_files.h"
#include "game/menu_automation.h"
#include "game/recorder_report.h"
#include "game/supcom_watcher.h"
#include "game/ta_watcher.h"
#include "platform/clock.h"
#include "platform/fake/simulated_total_annihilation.h"
#include "platform/file_append.h"
#include "platform/file_system.h"
#include "platform/network_info.h"
#include "platform/win32/win32_event_loop.h"
#include "platform/win32/win32_game_windows.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_shared_memory.h"
#include "platform/win32/win32_system_info.h"
#include "protocol/traffic_log.h"
#include "tests/game/recording_room.h"
#include "tests/support/scratch_directory.h"
#include "tests/win32_games/sim_process.h"

namespace ardentis::testing {
namespace {

using game::TAutoClicker;
using platform::PixelPoint;
using platform::Rgb;
using Screen = platform::SimulatedTotalAnnihilation::Screen;
using text::Gbk;

// A variable of this process's environment, which the programs it starts inherit.
class EnvironmentOverride {
  public:
    EnvironmentOverride(const wchar_t* name, const wchar_t* value) : name_(name) {
        SetEnvironmentVariableW(name, value);
    }
    ~EnvironmentOverride() { SetEnvironmentVariableW(name_, nullptr); }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

  private:
    const wchar_t* name_;
};

std::vector<std::string> linesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
    }
    return lines;
}

// Whether `expected` appears in `lines` in this order, other lines between them allowed.
::testing::AssertionResult inOrder(const std::vector<std::string>& lines,
                                   const std::vector<std::string>& expected) {
    auto from = lines.begin();
    for (const auto& wanted : expected) {
        from = std::find(from, lines.end(), wanted);
        if (from == lines.end()) {
            return ::testing::AssertionFailure() << "\"" << wanted << "\" missing or late";
        }
        ++from;
    }
    return ::testing::AssertionSuccess();
}

// The client's Win32 side on the test's thread against simulated games running as
// processes of their own: a scratch game directory, the real event loop, windows, launcher
// and files, and the client's traffic log in the scratch directory.
class GameTestFixture : public ::testing::Test {
  protected:
    // Runs the loop until `done` holds; false when it still does not after a while.
    bool waitFor(const std::function<bool()>& done) {
        return loop_.runUntil(done, std::chrono::seconds(20));
    }
    platform::WindowHandle waitForWindow(const char* title) {
        platform::WindowHandle found = platform::kNoWindow;
        (void)waitFor([&] { return (found = windows_.findWindow(Gbk(title))) != 0; });
        return found;
    }
    // A program of this build tree's simulated games, e.g. "sim_totala.exe".
    static std::filesystem::path simProgram(std::string_view fileName) {
        return (platform::executableDirectory() / ARDENTIS_SIM_GAMES_DIR / fileName)
            .lexically_normal();
    }
    // A simulated program copied into the game directory under the game's own name.
    Gbk install(std::string_view simFileName, std::string_view gameFileName) {
        std::filesystem::copy_file(simProgram(simFileName), scratch_.path() / gameFileName);
        return scratch_.gbk() + Gbk(gameFileName);
    }
    // The simulated games' lines in the game directory's simgame.log.
    std::vector<std::string> simLog() const { return linesOf(scratch_.path() / "simgame.log"); }
    int simLogCount(std::string_view line) const {
        const auto lines = simLog();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
    // The client's traffic log lines that contain `part`.
    int trafficLinesWith(std::string_view part) const {
        const auto lines = linesOf(log_.file());
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const auto& line) {
            return line.find(part) != std::string::npos;
        }));
    }

    ScratchDirectory scratch_;  // first in, last out: the programs in it end before it goes
    platform::Win32EventLoop loop_;
    platform::Win32GameWindows windows_;
    platform::Win32ProcessLauncher launcher_;
    platform::Win32SystemInfo system_;
    platform::SystemFileSystem files_;
    platform::SystemClock clock_;
    protocol::TrafficLog log_{platform::appendFileAt(scratch_.path() / "ardentisclient.log"),
                              clock_};
    // Wakes the loop now and then, so that waits on other processes see their progress.
    std::unique_ptr<platform::Timer> poll_ = loop_.createTimer(20, true, [] {});
};

std::intptr_t pointParameter(PixelPoint at) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(at.y) << 16U) |
                                      static_cast<std::uint32_t>(at.x));
}

// The simulated Total Annihilation's real window, read from this process through
// Win32GameWindows at the automation's probes and the pixels beside each, against the
// portable model it paints.
struct ScreenWalk {
    bool host;
    std::vector<std::pair<const wchar_t*, const wchar_t*>> environment;
    std::vector<std::pair<std::optional<PixelPoint>, Screen>> steps;  // click, then screen
};

const ScreenWalk kWalks[] = {
    {true,
     {{L"ARDENTIS_SIM_TA_READY_MS", L"60000"}},
     {{std::nullopt, Screen::Connect}, {PixelPoint{498, 329}, Screen::Battleroom}}},
    {true,
     {{L"ARDENTIS_SIM_TA_READY_MS", L"0"}, {L"ARDENTIS_SIM_TA_BATTLE_MS", L"0"}},
     {{PixelPoint{498, 329}, Screen::BattleroomReady}, {PixelPoint{574, 451}, Screen::Score}}},
    {false,
     {{L"ARDENTIS_SIM_TA_HOST_ANSWERS", L"0"}},
     {{PixelPoint{498, 329}, Screen::GameList}, {PixelPoint{482, 414}, Screen::JoinFailed}}},
};

class SimulatedGameWindow : public GameTestFixture, public ::testing::WithParamInterface<int> {
  protected:
    ::testing::AssertionResult shows(platform::WindowHandle window, Screen screen) const {
        platform::SimulatedTotalAnnihilation model({});
        model.show(screen);
        std::vector<PixelPoint> points;
        for (const auto& probe : TAutoClicker::probes()) {
            const PixelPoint at = probe.at;
            points.insert(
                points.end(),
                {at, {at.x + 1, at.y}, {at.x - 1, at.y}, {at.x, at.y + 1}, {at.x, at.y - 1}});
        }
        std::vector<Rgb> colours(points.size());
        if (!windows_.readPixels(window, points, colours)) {
            return ::testing::AssertionFailure() << "no reading";
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (colours[i] != model.pixel(points[i])) {
                return ::testing::AssertionFailure()
                       << "at " << points[i].x << "," << points[i].y << " read " << +colours[i].r
                       << "," << +colours[i].g << "," << +colours[i].b;
            }
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_P(SimulatedGameWindow, ProbesReadExactlyAsTheModelPaintsEachScreen) {
    const ScreenWalk& walk = kWalks[GetParam()];
    std::vector<std::unique_ptr<EnvironmentOverride>> environment;
    for (const auto& [name, value] : walk.environment) {
        environment.push_back(std::make_unique<EnvironmentOverride>(name, value));
    }
    (void)install("sim_totala.exe", "totala.exe");
    scratch_.addFile("tmp.ini", walk.host ? "[totala]\r\ncreator=1\r\nplayer=alice\r\n"
                                          : "[totala]\r\naddress=10.140.0.9\r\nplayer=bob\r\n");
    auto game = SimProcess::start(scratch_.path() / "totala.exe", L"-c tmp.ini");
    ASSERT_TRUE(game);
    const auto window = waitForWindow("Total Annihilation");
    ASSERT_NE(window, platform::kNoWindow);
    for (const auto& [click, screen] : walk.steps) {
        if (click) {
            windows_.sendMessage(window, platform::kWmLButtonDown, 0, pointParameter(*click));
            windows_.sendMessage(window, platform::kWmLButtonUp, 0, pointParameter(*click));
        }
        (void)waitFor([&] { return static_cast<bool>(shows(window, screen)); });
        EXPECT_TRUE(shows(window, screen)) << "screen " << static_cast<int>(screen);
    }
}

INSTANTIATE_TEST_SUITE_P(Walks, SimulatedGameWindow, ::testing::Values(0, 1, 2));

// The menu automation on the real event loop and windows drives the simulated game,
// started by the shell with the role's launch file and command, through a whole game.
struct AutomatedGame {
    game::Role role;
    bool hostAnswers;
    bool startSent;
    std::vector<std::string> log;
};

const AutomatedGame kGames[] = {
    {game::Role::Host,
     true,
     true,
     {"start host=1 player=alice address=10.140.0.9", "screen connect", "click 498,329",
      "screen battleroom", "screen battleroomready", "click 574,451", "screen battle",
      "screen score", "closed"}},
    {game::Role::Joiner,
     true,
     true,
     {"start host=0 player=bob address=10.140.0.9", "screen connect", "click 498,329",
      "screen gamelist", "click 482,414", "screen battleroom", "screen battleroomready",
      "click 574,451", "screen battle", "screen score", "closed"}},
    // A joiner whose host never answers retries four times, then closes the game.
    {game::Role::Joiner,
     false,
     false,
     {"screen gamelist", "click 482,414", "screen joinfailed", "click 482,364", "click 482,364",
      "click 482,364", "click 482,364", "closed"}},
};

class TaAutomation : public GameTestFixture, public ::testing::WithParamInterface<int> {};

TEST_P(TaAutomation, PlaysTheGameToItsEndAndClosesIt) {
    const AutomatedGame& expected = kGames[GetParam()];
    const EnvironmentOverride ready(L"ARDENTIS_SIM_TA_READY_MS", L"200");
    const EnvironmentOverride battle(L"ARDENTIS_SIM_TA_BATTLE_MS", L"200");
    const EnvironmentOverride answers(L"ARDENTIS_SIM_TA_HOST_ANSWERS",
                                      expected.hostAnswers ? L"1" : L"0");
    const bool host = expected.role == game::Role::Host;
    const Gbk exe = install("sim_totala.exe", "totala.exe");
    const Gbk address("10.140.0.9");
    ASSERT_TRUE((host ? game::createhostinifile(files_, scratch_.gbk(), protocol::RoomRecord{},
                                                Gbk("SHERWOOD"), address, Gbk("alice"))
                      : game::createclientinifile(files_, scratch_.gbk(), address, Gbk("bob")))
                    .has_value());
    const auto command = game::launchCommand(game::Game::TotalAnnihilation, expected.role,
                                             Gbk(host ? "alice" : "bob"), address);
    ASSERT_TRUE(launcher_.shellExecute(exe, command.parameters, command.mode).has_value());
    const auto window = waitForWindow("Total Annihilation");
    ASSERT_NE(window, platform::kNoWindow);
    auto game = SimProcess::ownerOf(window);
    ASSERT_TRUE(game);
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    EXPECT_TRUE(waitFor([&] { return IsZoomed(reinterpret_cast<HWND>(window)) != FALSE; }));

    int startCalls = 0;
    TAutoClicker clicker(loop_, windows_, system_, log_, [&] { ++startCalls; });
    clicker.Start(host ? TAutoClicker::kHostMode : TAutoClicker::kJoinMode);
    ASSERT_TRUE(waitFor([&] { return !clicker.running(); })) << "automation still on";
    ASSERT_TRUE(waitFor([&] { return !game->running(); })) << "game still running";
    EXPECT_EQ(game->exitCode(), std::optional<std::uint32_t>(0));
    EXPECT_EQ(startCalls > 0, expected.startSent);
    EXPECT_TRUE(inOrder(simLog(), expected.log));
    EXPECT_EQ(simLogCount("click 482,364"), expected.hostAnswers ? 0 : 4);
    EXPECT_EQ(simLogCount("screen gamelist"), host ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Roles, TaAutomation, ::testing::Values(0, 1, 2));

// The simulated TA Demo recorder as a process of its own, read through the real named
// shared memory, and TTAHook following it and the game through the traffic log.
TEST_F(GameTestFixture, RecorderMappingIsReadAndEachChangeLoggedOnceUntilTheGameEnds) {
    const EnvironmentOverride ready(L"ARDENTIS_SIM_TA_READY_MS", L"600000");
    (void)install("sim_totala.exe", "totala.exe");
    scratch_.addFile("tmphost.ini", "[totala]\r\ncreator=1\r\nplayer=alice\r\n");
    auto game = SimProcess::start(scratch_.path() / "totala.exe", L"-c tmphost.ini");
    ASSERT_TRUE(game);
    const auto window = waitForWindow("Total Annihilation");
    ASSERT_NE(window, platform::kNoWindow);
    auto recorder = SimProcess::start(simProgram("sim_recorder.exe"),
                                      L"state=1 players=alice,bob allied=2", true);
    ASSERT_TRUE(recorder);
    // Its answers on standard output (in text mode), one per line.
    const auto answers = [&](const std::string& word) {
        std::string text = "\n" + recorder->output();
        std::erase(text, '\r');
        int count = 0;
        for (auto at = text.find("\n" + word + "\n"); at != std::string::npos;
             at = text.find("\n" + word + "\n", at + 1)) {
            ++count;
        }
        return count;
    };
    const auto tell = [&](const std::string& command) {
        const int before = answers("ok");
        return recorder->writeLine(command) && waitFor([&] { return answers("ok") > before; });
    };
    ASSERT_TRUE(waitFor([&] { return answers("ready") == 1; }));
    platform::Win32SharedMemory memory;
    auto view = memory.openMapping("TADemo-MKChat", game::kRecorderBytes);
    ASSERT_TRUE(view.has_value());
    game::RecorderSnapshot snapshot{};
    (*view)->read(snapshot);
    EXPECT_EQ(game::recorderState(snapshot), 1);
    const std::string two =
        "2 players reported by Recorder; alice, bob; Player:alice is allied with: bob";
    EXPECT_EQ(game::recorderReport(snapshot), Gbk(two));

    RecordingRoom room;
    game::TTAHook hook(loop_, windows_, memory, system_, log_, room);
    hook.Start();
    const auto logged = [&](const std::string& line) {
        return waitFor([&] { return trafficLinesWith(line) > 0; });
    };
    ASSERT_TRUE(logged(two));
    ASSERT_TRUE(tell("player 3 carol"));
    const std::string three =
        "3 players reported by Recorder; alice, bob, carol; Player:alice is allied with: bob";
    ASSERT_TRUE(logged(three));
    ASSERT_TRUE(tell("allied 2 0"));
    ASSERT_TRUE(
        logged("3 players reported by Recorder; alice, bob, carol; Player:alice, allied no one."));
    EXPECT_EQ(trafficLinesWith(two), 1);
    EXPECT_EQ(trafficLinesWith(three), 1);
    // Not recording any more: the reader stops at the next look, the watch goes on.
    ASSERT_TRUE(tell("state 0"));
    ASSERT_TRUE(waitFor([&] { return !hook.reading(); }));
    EXPECT_TRUE(hook.watching());
    windows_.sendMessage(window, platform::kWmClose, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !hook.watching(); }));
    EXPECT_EQ(room.notices, std::vector<Gbk>{game::returnNotice(Gbk("alice"))});
    EXPECT_GE(room.clearCalls, 1);
    EXPECT_TRUE(waitFor([&] { return !game->running(); }));
}

// TSPCHook follows the simulated Supreme Commander, started through the shell with the
// host's command line, through the real window and the real port check.
TEST_F(GameTestFixture, SupremeCommanderHostsTakenPortSendsTheStartAndGameOverEndsTheWatch) {
    const platform::SystemNetworkInfo network;
    ASSERT_TRUE(network.tryBindUdp(5000).has_value()) << "UDP port 5000 is in use";
    const EnvironmentOverride hostAfter(L"ARDENTIS_SIM_SC_HOST_MS", L"200");
    const EnvironmentOverride gameOver(L"ARDENTIS_SIM_SC_GAME_MS", L"5000");
    const Gbk exe = install("sim_supcom.exe", "supremecommander.exe");
    const auto command = game::launchCommand(game::Game::SupremeCommander, game::Role::Host,
                                             Gbk("alice"), Gbk("127.0.0.1"));
    ASSERT_TRUE(launcher_.shellExecute(exe, command.parameters, command.mode).has_value());
    const auto window = waitForWindow("Supreme Commander");
    ASSERT_NE(window, platform::kNoWindow);
    auto game = SimProcess::ownerOf(window);
    ASSERT_TRUE(game);
    RecordingRoom room;
    game::TSPCHook hook(loop_, windows_, network, system_, room);
    hook.Start();
    ASSERT_TRUE(waitFor([&] { return room.startCalls > 0; }));
    EXPECT_TRUE(room.startGuard);
    EXPECT_TRUE(room.notices.empty());
    ASSERT_TRUE(waitFor([&] { return !hook.watching(); }));
    EXPECT_EQ(room.notices, std::vector<Gbk>{game::returnNotice(Gbk("alice"))});
    EXPECT_FALSE(room.startGuard);
    ASSERT_TRUE(waitFor([&] { return !game->running(); }));
    EXPECT_TRUE(network.tryBindUdp(5000).has_value());
    EXPECT_TRUE(inOrder(simLog(), {"start host=1 player=alice address=", "port 5000 taken",
                                   "game over", "closed"}));
}

}  // namespace
}  // namespace ardentis::testing
