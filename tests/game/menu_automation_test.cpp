#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/menu_automation.h"
#include "platform/clock.h"
#include "platform/fake/fake_game_windows.h"
#include "platform/fake/fake_system_info.h"
#include "platform/fake/manual_event_loop.h"
#include "platform/fake/simulated_total_annihilation.h"
#include "platform/file_append.h"
#include "protocol/traffic_log.h"

namespace ardentis::game {
namespace {

using platform::PixelPoint;
using platform::SimulatedTotalAnnihilation;
using Screen = SimulatedTotalAnnihilation::Screen;
using text::Gbk;

std::filesystem::path freshLogFile() {
    static std::atomic<int> counter{0};
    auto path =
        std::filesystem::temp_directory_path() /
        ("ardentis-automation-test-" + std::to_string(counter++) + "-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".log");
    std::filesystem::remove(path);
    return path;
}

std::intptr_t pointParameter(PixelPoint at) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(at.y) << 16U) |
                                      static_cast<std::uint32_t>(at.x));
}

constexpr PixelPoint kMenu5Click{498, 329};
constexpr PixelPoint kMenu4Click{482, 414};
constexpr PixelPoint kMenu44Click{482, 364};
constexpr PixelPoint kMenu7Click{574, 451};

// The automation over a simulated Total Annihilation on a manual clock.
class MenuAutomation : public ::testing::Test {
  protected:
    ~MenuAutomation() override { std::filesystem::remove(logFile_); }

    // The game opens its window with the launch file of the role, and the automation starts.
    void launch(bool host) {
        game_ = std::make_shared<SimulatedTotalAnnihilation>(
            SimulatedTotalAnnihilation::Setup{host, Gbk("5.1.2.3"), Gbk("ab")});
        window_ = windows_.open(Gbk("Total Annihilation"), game_);
        clicker_.Start(host ? TAutoClicker::kHostMode : TAutoClicker::kJoinMode);
    }
    void steps(int count) { loop_.advance(std::chrono::milliseconds(10 * count)); }

    // Button presses sent at the point, whatever the game made of them.
    [[nodiscard]] int pressesAt(PixelPoint at) const {
        int count = 0;
        for (const auto& sent : windows_.messages()) {
            count += sent.message == platform::kWmLButtonDown && sent.lParam == pointParameter(at)
                         ? 1
                         : 0;
        }
        return count;
    }
    [[nodiscard]] int messagesOfKind(std::uint32_t kind) const {
        int count = 0;
        for (const auto& sent : windows_.messages()) {
            count += sent.message == kind ? 1 : 0;
        }
        return count;
    }
    [[nodiscard]] std::vector<std::string> logLines() const {
        std::ifstream file(logFile_, std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        std::vector<std::string> lines;
        std::string all = content.str();
        for (std::size_t start = 0; start < all.size();) {
            const auto end = all.find("\r\n", start);
            lines.push_back(all.substr(start, end - start));
            start = end == std::string::npos ? all.size() : end + 2;
        }
        return lines;
    }
    // Host: the connect dialog, then its own battle room, everyone ready, the battle.
    void hostIntoBattle() {
        launch(true);
        steps(1);  // menu 5: OK
        steps(1);  // menu 6
        game_->everyoneReady();
        steps(1);  // menu 7: start
        ASSERT_EQ(game_->screen(), Screen::Battle);
        steps(1);
    }

    std::filesystem::path logFile_ = freshLogFile();
    platform::ManualEventLoop loop_;
    platform::FakeGameWindows windows_;
    platform::FakeSystemInfo system_;
    platform::SystemClock clock_;
    protocol::TrafficLog log_{platform::appendFileAt(logFile_), clock_};
    int startCalls_ = 0;
    TAutoClicker clicker_{loop_, windows_, system_, log_, [this] { ++startCalls_; }};
    std::shared_ptr<SimulatedTotalAnnihilation> game_;
    platform::WindowHandle window_ = platform::kNoWindow;
};

TEST_F(MenuAutomation, HostDrivesItsGameIntoTheBattleAndClosesItAtTheScore) {
    hostIntoBattle();
    EXPECT_EQ(pressesAt(kMenu5Click), 1);
    EXPECT_EQ(pressesAt(kMenu7Click), 1);
    EXPECT_EQ(startCalls_, 1);
    EXPECT_TRUE(clicker_.battleStarted);
    steps(100);  // the battle shows no menu: nothing is sent
    EXPECT_EQ(messagesOfKind(platform::kWmClose), 0);
    game_->endBattle();
    steps(1);
    EXPECT_FALSE(windows_.isOpen(window_));
    EXPECT_FALSE(clicker_.running());
    steps(100);
    EXPECT_EQ(messagesOfKind(platform::kWmClose), 1);
}

TEST_F(MenuAutomation, HostLeavesTheMainMenuAndTheGameListAlone) {
    launch(true);
    for (const auto& [screen, index] : {std::pair{Screen::MainMenu, 2}, {Screen::GameList, 4}}) {
        game_->show(screen);
        steps(5);
        EXPECT_EQ(clicker_.lastMenuIndex, index);
    }
    EXPECT_TRUE(windows_.messages().empty());
}

TEST_F(MenuAutomation, JoinerFollowsTheConnectDialogTheGameListAndTheHostsBattleRoom) {
    launch(false);
    steps(3);
    EXPECT_EQ(pressesAt(kMenu5Click), 1);
    EXPECT_EQ(pressesAt(kMenu4Click), 1);
    EXPECT_EQ(game_->screen(), Screen::Battleroom);
    EXPECT_TRUE(clicker_.battleStarted);
    EXPECT_EQ(startCalls_, 1);  // every role calls it; the room sends only for its host
}

TEST_F(MenuAutomation, FailedJoinIsRetriedFourTimesThenTheGameIsClosed) {
    launch(false);
    game_->setHostAnswers(false);
    steps(2);  // menu 5, then menu 4: join fails
    ASSERT_EQ(game_->screen(), Screen::JoinFailed);
    steps(4);
    EXPECT_EQ(pressesAt(kMenu44Click), 4);
    EXPECT_EQ(clicker_.menu44Clicks, 4);
    EXPECT_TRUE(windows_.isOpen(window_));
    steps(1);
    EXPECT_FALSE(windows_.isOpen(window_));
    EXPECT_FALSE(clicker_.running());
    EXPECT_EQ(pressesAt(kMenu44Click), 4);
}

TEST_F(MenuAutomation, Menu7IsNotRecognisedBeforeMenu6) {
    launch(true);
    game_->show(Screen::BattleroomReady);
    steps(10);
    EXPECT_EQ(clicker_.lastMenuIndex, TAutoClicker::kNoMenu);
    EXPECT_TRUE(windows_.messages().empty());
    game_->show(Screen::Battleroom);
    steps(1);
    game_->everyoneReady();
    steps(1);
    EXPECT_EQ(pressesAt(kMenu7Click), 1);
    EXPECT_EQ(game_->screen(), Screen::Battle);
}

// The game's picture with some of the probes painted over.
class Overpainted final : public platform::SimulatedWindow {
  public:
    explicit Overpainted(std::shared_ptr<SimulatedTotalAnnihilation> game)
        : game_(std::move(game)) {}
    [[nodiscard]] platform::Rgb pixel(PixelPoint point) const override {
        for (const auto& [at, colour] : paint) {
            if (at == point) {
                return colour;
            }
        }
        return game_->pixel(point);
    }
    [[nodiscard]] bool handle(std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
        return game_->handle(message, wParam, lParam);
    }
    std::vector<std::pair<PixelPoint, platform::Rgb>> paint;

  private:
    std::shared_ptr<SimulatedTotalAnnihilation> game_;
};

TEST_F(MenuAutomation, Menu7NeedsTheFirstColourAtProbes10To12) {
    game_ = std::make_shared<SimulatedTotalAnnihilation>(
        SimulatedTotalAnnihilation::Setup{true, Gbk("5.1.2.3"), Gbk("ab")});
    const auto picture = std::make_shared<Overpainted>(game_);
    window_ = windows_.open(Gbk("Total Annihilation"), picture);
    clicker_.Start(TAutoClicker::kHostMode);
    steps(2);  // menu 5's OK, then menu 6: the battle may start
    ASSERT_EQ(clicker_.lastMenuIndex, 6);

    // Probes 10 and 12 in their second colour, 11 in its first, 13 to 15 in none of theirs:
    // menu 6's test fails on 13 to 15, and menu 7's must fail on 10 and 12.
    game_->show(Screen::Battle);
    const auto& probes = TAutoClicker::probes();
    picture->paint = {
        {probes[10].at, *probes[10].b},          {probes[11].at, *probes[11].a},
        {probes[12].at, *probes[12].b},          {probes[13].at, platform::Rgb{1, 2, 3}},
        {probes[14].at, platform::Rgb{1, 2, 3}}, {probes[15].at, platform::Rgb{1, 2, 3}}};
    steps(3);
    EXPECT_EQ(clicker_.lastMenuIndex, TAutoClicker::kNoMenu);
    EXPECT_EQ(pressesAt(kMenu7Click), 0);

    picture->paint[0].second = *probes[10].a;
    picture->paint[2].second = *probes[12].a;
    steps(1);
    EXPECT_EQ(clicker_.lastMenuIndex, 7);  // the same picture with the first colours is menu 7
}

TEST_F(MenuAutomation, ANewStartForgetsThatMenu6WasSeen) {
    hostIntoBattle();
    clicker_.Start(TAutoClicker::kHostMode);
    game_->show(Screen::BattleroomReady);
    steps(5);
    EXPECT_EQ(clicker_.lastMenuIndex, TAutoClicker::kNoMenu);
    EXPECT_EQ(pressesAt(kMenu7Click), 1);
}

TEST_F(MenuAutomation, Menu7ClickRepeatsUntilAnotherMenuClearsIt) {
    launch(true);
    steps(2);
    game_->everyoneReady();
    game_->setIgnoresClicks(true);
    steps(3);
    EXPECT_EQ(pressesAt(kMenu7Click), 3);
    EXPECT_FALSE(system_.parameterCalls().empty());  // the task keys are back on
    game_->show(Screen::Connect);                    // menu 5 clears the pending click
    steps(1);
    game_->show(Screen::BattleroomReady);
    steps(3);
    EXPECT_EQ(pressesAt(kMenu7Click), 3);
}

class AfterTheBattle : public MenuAutomation, public ::testing::WithParamInterface<Screen> {};

TEST_P(AfterTheBattle, MenuClosesTheGameAndStopsTheAutomation) {
    hostIntoBattle();
    game_->show(GetParam());
    steps(1);
    EXPECT_FALSE(windows_.isOpen(window_));
    EXPECT_FALSE(clicker_.running());
    EXPECT_EQ(messagesOfKind(platform::kWmClose), 1);
}

INSTANTIATE_TEST_SUITE_P(Menus3And4And44, AfterTheBattle,
                         ::testing::Values(Screen::Multiplayer, Screen::GameList,
                                           Screen::JoinFailed));

TEST_F(MenuAutomation, OneLogLinePerChangeOfMenu) {
    launch(true);
    game_->setIgnoresClicks(true);
    steps(3);  // 5, 5, 5
    game_->show(Screen::Battleroom);
    steps(4);  // 6 ...
    game_->show(Screen::Battle);
    steps(2);  // -8
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{"run TA in Menuindex:5", "run TA in Menuindex:6",
                                        "run TA in Menuindex:-8"}));
}

TEST_F(MenuAutomation, NoWindowGivesMinusOneAndSendsNothing) {
    clicker_.Start(TAutoClicker::kHostMode);
    steps(20);
    EXPECT_EQ(clicker_.lastMenuIndex, TAutoClicker::kNoWindow);
    EXPECT_EQ(logLines(), (std::vector<std::string>{"run TA in Menuindex:-1"}));
    EXPECT_TRUE(windows_.messages().empty());
    EXPECT_TRUE(clicker_.running());
}

}  // namespace
}  // namespace ardentis::game
