#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <vector>

#include "game/menu_automation.h"
#include "platform/fake/simulated_total_annihilation.h"
#include "tests/win32_games/covering_window.h"
#include "tests/win32_games/environment_override.h"
#include "tests/win32_games/game_test_fixture.h"
#include "tests/win32_games/sim_process.h"

namespace ardentis::testing {
namespace {

using platform::PixelPoint;
using platform::Rgb;
using Screen = platform::SimulatedTotalAnnihilation::Screen;
using text::Gbk;

HWND hwndOf(platform::WindowHandle window) {
    return reinterpret_cast<HWND>(window);  // NOLINT(performance-no-int-to-ptr)
}

std::intptr_t pointParameter(PixelPoint at) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(at.y) << 16U) |
                                      static_cast<std::uint32_t>(at.x));
}

// The automation's probe points and the pixels right beside each, where a reading off by
// one would land.
std::vector<PixelPoint> probesAndNeighbours() {
    std::vector<PixelPoint> points;
    for (const auto& probe : game::TAutoClicker::probes()) {
        const PixelPoint at = probe.at;
        points.insert(points.end(),
                      {at, {at.x + 1, at.y}, {at.x - 1, at.y}, {at.x, at.y + 1}, {at.x, at.y - 1}});
    }
    return points;
}

std::string describe(Rgb colour) {
    return std::to_string(colour.r) + "," + std::to_string(colour.g) + "," +
           std::to_string(colour.b);
}

// The simulated Total Annihilation's real window, read through Win32GameWindows from this
// process, against the portable model it paints.
class SimulatedGameWindow : public GameTestFixture {
  protected:
    void start(bool host) {
        (void)install("sim_totala.exe", "totala.exe");
        scratch_.addFile("tmp.ini", host ? "[totala]\r\ncreator=1\r\nplayer=alice\r\n"
                                         : "[totala]\r\naddress=10.140.0.9\r\nplayer=bob\r\n");
        auto started = SimProcess::start(scratch_.path() / "totala.exe", L"-c tmp.ini");
        ASSERT_TRUE(started.has_value());
        game_.emplace(*std::move(started));
        window_ = waitForWindow("Total Annihilation");
        ASSERT_NE(window_, platform::kNoWindow);
    }
    void click(PixelPoint at) {
        windows_.sendMessage(window_, platform::kWmLButtonDown, 0, pointParameter(at));
        windows_.sendMessage(window_, platform::kWmLButtonUp, 0, pointParameter(at));
    }
    // Every probe and its neighbours read as the model paints the screen.
    ::testing::AssertionResult shows(Screen screen) const {
        platform::SimulatedTotalAnnihilation model({});
        model.show(screen);
        const auto points = probesAndNeighbours();
        std::vector<Rgb> colours(points.size());
        const auto read = windows_.readPixels(window_, points, colours);
        if (!read) {
            return ::testing::AssertionFailure() << read.error().describe();
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (colours[i] != model.pixel(points[i])) {
                return ::testing::AssertionFailure()
                       << "at " << points[i].x << "," << points[i].y << " read "
                       << describe(colours[i]) << ", the model shows "
                       << describe(model.pixel(points[i]));
            }
        }
        return ::testing::AssertionSuccess();
    }
    // The screens change when the game gets to it; a wait that ends either way, then the check.
    void expectShows(Screen screen) {
        (void)waitFor([&] { return static_cast<bool>(shows(screen)); });
        EXPECT_TRUE(shows(screen));
    }

    std::optional<SimProcess> game_;
    platform::WindowHandle window_ = platform::kNoWindow;
};

TEST_F(SimulatedGameWindow, HostScreensReadExactlyAsTheModelPaintsThem) {
    const EnvironmentOverride ready(L"ARDENTIS_SIM_TA_READY_MS", L"60000");
    start(true);
    ASSERT_FALSE(HasFatalFailure());
    expectShows(Screen::Connect);
    click({498, 329});
    expectShows(Screen::Battleroom);
}

TEST_F(SimulatedGameWindow, ReadyRoomAndScoreReadExactlyAsTheModelPaintsThem) {
    const EnvironmentOverride ready(L"ARDENTIS_SIM_TA_READY_MS", L"0");
    const EnvironmentOverride battle(L"ARDENTIS_SIM_TA_BATTLE_MS", L"0");
    start(true);
    ASSERT_FALSE(HasFatalFailure());
    click({498, 329});
    expectShows(Screen::BattleroomReady);
    click({574, 451});
    expectShows(Screen::Score);
}

TEST_F(SimulatedGameWindow, JoinerScreensReadExactlyAsTheModelPaintsThem) {
    const EnvironmentOverride silentHost(L"ARDENTIS_SIM_TA_HOST_ANSWERS", L"0");
    start(false);
    ASSERT_FALSE(HasFatalFailure());
    click({498, 329});
    expectShows(Screen::GameList);
    click({482, 414});
    expectShows(Screen::JoinFailed);
}

TEST_F(SimulatedGameWindow, PointsOutsideTheClientAreaReadWhiteAndTheRestAsShown) {
    start(true);
    ASSERT_FALSE(HasFatalFailure());
    expectShows(Screen::Connect);
    RECT client{};
    ASSERT_NE(GetClientRect(hwndOf(window_), &client), FALSE);
    EXPECT_GE(client.right, 640);
    EXPECT_GE(client.bottom, 480);
    const int width = static_cast<int>(client.right);
    const int height = static_cast<int>(client.bottom);
    const std::vector<PixelPoint> points{{-1, 0},       {0, -1},    {width, 10},
                                         {10, height},  {164, 335}, {width - 1, height - 1},
                                         {-5000, -5000}};
    std::vector<Rgb> colours(points.size());
    ASSERT_TRUE(windows_.readPixels(window_, points, colours).has_value());
    const Rgb white{255, 255, 255};
    EXPECT_EQ(colours[0], white);
    EXPECT_EQ(colours[1], white);
    EXPECT_EQ(colours[2], white);
    EXPECT_EQ(colours[3], white);
    EXPECT_EQ(colours[4], (Rgb{155, 155, 155}));
    EXPECT_EQ(colours[5], (Rgb{0, 0, 0}));
    EXPECT_EQ(colours[6], white);
}

TEST_F(SimulatedGameWindow, AWindowThatHasGoneIsAnErrorNotAReading) {
    start(true);
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<PixelPoint> points{{164, 335}};
    std::vector<Rgb> colours(points.size());
    ASSERT_TRUE(windows_.readPixels(window_, points, colours).has_value());
    windows_.sendMessage(window_, platform::kWmClose, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !game_->running(); }));
    EXPECT_FALSE(windows_.readPixels(window_, points, colours).has_value());
    // No handle at all would otherwise read the whole screen.
    EXPECT_FALSE(windows_.readPixels(platform::kNoWindow, points, colours).has_value());
}

// Under Wine another program reads a window through the X server, which holds only what
// is visible: the game keeps its picture in its own process, but the part of it under a
// topmost window of another program reads black, neither the game's colours nor the cover's.
// Black is no probe's colour, so the automation sees no menu there and waits; the picture
// is back once the cover goes.
TEST_F(SimulatedGameWindow, UnderWineACoveredPartReadsBlackUntilUncovered) {
    const EnvironmentOverride ready(L"ARDENTIS_SIM_TA_READY_MS", L"60000");
    const EnvironmentOverride stayBelow(L"ARDENTIS_SIM_TA_ON_TOP_MS", L"0");
    start(true);
    ASSERT_FALSE(HasFatalFailure());
    expectShows(Screen::Connect);
    const PixelPoint covered{164, 335};    // grey 155 on this screen
    const PixelPoint uncovered{617, 333};  // grey 123
    CoveringWindow cover(window_, 320, Rgb{255, 0, 255});
    ASSERT_TRUE(waitFor([&] { return cover.onScreenAt(covered); }));
    const std::vector<PixelPoint> points{covered, uncovered};
    std::vector<Rgb> colours(points.size());
    ASSERT_TRUE(windows_.readPixels(window_, points, colours).has_value());
    EXPECT_EQ(colours[0], (Rgb{0, 0, 0}));
    EXPECT_EQ(colours[1], (Rgb{123, 123, 123}));
    cover.remove();
    expectShows(Screen::Connect);
}

}  // namespace
}  // namespace ardentis::testing
