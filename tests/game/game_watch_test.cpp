// The game watchers on the fakes, on a manual clock, their traffic log in a scratch file: the
// menu automation over a simulated Total Annihilation, and the recorder watch.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/game_end.h"
#include "game/menu_automation.h"
#include "game/recorder_report.h"
#include "game/ta_watcher.h"
#include "platform/clock.h"
#include "platform/fake/fake_game_windows.h"
#include "platform/fake/fake_shared_memory.h"
#include "platform/fake/fake_system_info.h"
#include "platform/fake/manual_event_loop.h"
#include "platform/fake/simulated_recorder.h"
#include "platform/fake/simulated_total_annihilation.h"
#include "platform/file_append.h"
#include "protocol/traffic_log.h"
#include "tests/game/recording_room.h"
#include "tests/support/scratch_directory.h"

namespace ardentis::game {
namespace {

using namespace std::chrono_literals;
using platform::PixelPoint;
using platform::SimulatedTotalAnnihilation;
using Screen = SimulatedTotalAnnihilation::Screen;
using text::Gbk;

constexpr PixelPoint kMenu5Click{498, 329};
constexpr PixelPoint kMenu4Click{482, 414};
constexpr PixelPoint kMenu44Click{482, 364};
constexpr PixelPoint kMenu7Click{574, 451};

// A window that shows the colours painted on it, black elsewhere, and ignores messages.
struct Picture final : platform::SimulatedWindow {
    [[nodiscard]] platform::Rgb pixel(PixelPoint point) const override {
        const auto at =
            std::ranges::find(paint, point, &std::pair<PixelPoint, platform::Rgb>::first);
        return at == paint.end() ? platform::Rgb{} : at->second;
    }
    [[nodiscard]] bool handle(std::uint32_t /*message*/, std::uintptr_t /*wParam*/,
                              std::intptr_t /*lParam*/) override {
        return true;
    }
    std::vector<std::pair<PixelPoint, platform::Rgb>> paint;
};

// What every watcher runs on.
class GameWatch : public ::testing::Test {
  protected:
    [[nodiscard]] std::vector<std::string> logLines() const {
        return testing::lines(testing::readFile(scratch_ / "client.log"));
    }

    testing::ScratchDirectory scratch_;
    platform::ManualEventLoop loop_;
    platform::FakeGameWindows windows_;
    platform::FakeSystemInfo system_;
    platform::SystemClock clock_;
    protocol::TrafficLog log_{platform::appendFileAt(scratch_ / "client.log"), clock_};
};

// The automation over a simulated Total Annihilation on a manual clock.
class MenuAutomation : public GameWatch {
  protected:
    // The game opens its window with the launch file of the role, and the automation starts.
    void launch(bool host) {
        game_ = std::make_shared<SimulatedTotalAnnihilation>(
            SimulatedTotalAnnihilation::Setup{host, Gbk("5.1.2.3"), Gbk("ab")});
        window_ = windows_.open(Gbk("Total Annihilation"), game_);
        clicker_.Start(host ? TAutoClicker::kHostMode : TAutoClicker::kJoinMode);
    }
    void steps(int count) { loop_.advance(std::chrono::milliseconds(10 * count)); }
    [[nodiscard]] int sent(std::uint32_t kind, std::optional<PixelPoint> at = {}) const {
        int count = 0;
        const auto& all = windows_.messages();
        for (std::size_t i = mark_; i < all.size(); ++i) {
            const bool there = !at || all[i].lParam == ((at->y << 16) | at->x);
            count += all[i].message == kind && there ? 1 : 0;
        }
        return count;
    }
    [[nodiscard]] int pressesAt(PixelPoint at) const { return sent(platform::kWmLButtonDown, at); }
    [[nodiscard]] bool closed() const {
        return !windows_.isOpen(window_) && !clicker_.running() && sent(platform::kWmClose) == 1;
    }

    int startCalls_ = 0;
    std::size_t mark_ = 0;  // messages sent before it do not count
    TAutoClicker clicker_{loop_, windows_, system_, log_, [this] { ++startCalls_; }};
    std::shared_ptr<SimulatedTotalAnnihilation> game_;
    platform::WindowHandle window_ = platform::kNoWindow;
};

// Each menu screen, shown to a fresh automation or to one that has seen menu 6 (the battle
// room, so the battle may start), or that was started anew since: the menu it is read as and
// its one answer.
TEST_F(MenuAutomation, EachScreenIsReadAsItsMenuAndAnsweredOnce) {
    enum class Before { Fresh, Menu6, NewStart };
    const struct Case {
        const char* name;
        bool host;
        Before before;
        Screen screen;
        int menu;
        std::optional<PixelPoint> press;
        bool closes;
    } cases[] = {
        {"main menu", true, Before::Fresh, Screen::MainMenu, 2, {}, false},
        {"multiplayer", true, Before::Fresh, Screen::Multiplayer, 3, {}, false},
        {"host's game list", true, Before::Fresh, Screen::GameList, 4, {}, false},
        {"joiner's game list", false, Before::Fresh, Screen::GameList, 4, kMenu4Click, false},
        {"join failed", false, Before::Fresh, Screen::JoinFailed, 44, kMenu44Click, false},
        {"connect", true, Before::Fresh, Screen::Connect, 5, kMenu5Click, false},
        {"battle room", false, Before::Fresh, Screen::Battleroom, 6, {}, false},
        {"menu 7 before menu 6", true, Before::Fresh, Screen::BattleroomReady, -8, {}, false},
        {"score", true, Before::Fresh, Screen::Score, 8, {}, true},
        {"ready room", true, Before::Menu6, Screen::BattleroomReady, 7, kMenu7Click, false},
        {"multiplayer after", true, Before::Menu6, Screen::Multiplayer, 3, {}, true},
        {"game list after", false, Before::Menu6, Screen::GameList, 4, {}, true},
        {"join failed after", true, Before::Menu6, Screen::JoinFailed, 44, {}, true},
        {"menu 6 then new start", true, Before::NewStart, Screen::BattleroomReady, -8, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        windows_.close(window_);
        mark_ = windows_.messages().size();
        startCalls_ = 0;
        launch(c.host);
        if (c.before != Before::Fresh) {
            game_->show(Screen::Battleroom);
            steps(1);
            if (c.before == Before::NewStart) {
                clicker_.Start(TAutoClicker::kHostMode);
            }
        }
        game_->show(c.screen);
        steps(1);
        EXPECT_EQ(clicker_.lastMenuIndex, c.menu);
        EXPECT_EQ(sent(platform::kWmLButtonDown), c.press ? pressesAt(*c.press) : 0);
        EXPECT_EQ(c.press.has_value(), sent(platform::kWmLButtonDown) == 1);
        EXPECT_EQ(closed(), c.closes);
        EXPECT_EQ(startCalls_, c.before != Before::Fresh || c.menu == 6 ? 1 : 0);
    }
}

TEST_F(MenuAutomation, HostDrivesItsGameIntoTheBattleAndClosesItAtTheScore) {
    clicker_.Start(TAutoClicker::kHostMode);
    steps(20);  // no window yet (menu -1): it looks again at every step
    launch(true);
    steps(2);  // menu 5: OK; menu 6
    game_->everyoneReady();
    steps(2);  // menu 7: start; the battle
    ASSERT_EQ(game_->screen(), Screen::Battle);
    EXPECT_FALSE(system_.parameterCalls().empty()) << "the task keys are not back on";
    steps(100);  // the battle shows no menu: nothing is sent
    EXPECT_EQ(windows_.messages().size(), 4U);
    game_->endBattle();
    steps(100);
    EXPECT_TRUE(closed());
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{"run TA in Menuindex:-1", "run TA in Menuindex:5",
                                        "run TA in Menuindex:6", "run TA in Menuindex:7",
                                        "run TA in Menuindex:-8", "run TA in Menuindex:8"}));
}

TEST_F(MenuAutomation, Menu7NeedsTheFirstColourAtProbes10To12) {
    const auto& probes = TAutoClicker::probes();
    const auto picture = std::make_shared<Picture>();
    for (std::size_t i = 10; i <= 15; ++i) {  // menu 6: the battle may start
        picture->paint.emplace_back(probes[i].at, *probes[i].a);
    }
    window_ = windows_.open(Gbk("Total Annihilation"), picture);
    clicker_.Start(TAutoClicker::kHostMode);
    steps(1);
    ASSERT_EQ(clicker_.lastMenuIndex, 6);
    // One of probes 10 to 12 in its second colour, which menu 6 takes, the others in their
    // first, and 13 to 15 in none of theirs: not menu 6, and menu 7 only with no second colour.
    for (std::size_t second = 10; second <= 13; ++second) {
        picture->paint.clear();
        for (std::size_t i = 10; i <= 12; ++i) {
            picture->paint.emplace_back(probes[i].at, i == second ? *probes[i].b : *probes[i].a);
        }
        steps(1);
        EXPECT_EQ(clicker_.lastMenuIndex, second == 13 ? 7 : TAutoClicker::kNoMenu) << second;
    }
    EXPECT_EQ(pressesAt(kMenu7Click), 1);
}

// A joiner's failed join is retried four times, then its game is closed; a host's pending
// menu 7 click repeats until another menu clears it.
TEST_F(MenuAutomation, FailedJoinIsRetriedFourTimesAndAMenu7ClickRepeatsUntilAnotherMenu) {
    launch(false);
    game_->setHostAnswers(false);
    steps(2);  // menu 5, then menu 4: join fails
    ASSERT_EQ(game_->screen(), Screen::JoinFailed);
    steps(4);
    EXPECT_EQ(pressesAt(kMenu44Click), 4);
    EXPECT_TRUE(windows_.isOpen(window_));
    steps(10);
    EXPECT_TRUE(closed());
    EXPECT_EQ(pressesAt(kMenu44Click), 4);

    launch(true);
    steps(2);
    game_->everyoneReady();
    game_->setIgnoresClicks(true);
    steps(3);
    EXPECT_EQ(pressesAt(kMenu7Click), 3);
    game_->show(Screen::Connect);  // menu 5 clears the pending click
    steps(1);
    game_->show(Screen::BattleroomReady);
    steps(3);
    EXPECT_EQ(pressesAt(kMenu7Click), 3);
}

// A length byte past 19, which stops the name at the next slot, reads 19 characters; the
// other reports are read from a simulated recorder by the watch below.
TEST(RecorderReport, ANameIsCutToNineteen) {
    RecorderSnapshot snapshot{};
    snapshot[148] = std::byte{40};
    std::fill(snapshot.begin() + 149, snapshot.begin() + 168, std::byte{0x78});  // x
    const std::string name(19, 'x');
    EXPECT_EQ(recorderReport(snapshot), Gbk("1 players reported by Recorder; " + name +
                                            "; Player:" + name + ", allied no one."));
}

// TTAHook over a running game.
class RecorderWatch : public GameWatch {
  protected:
    platform::FakeSharedMemory memory_;
    ardentis::testing::RecordingRoom room_;
    TTAHook hook_{loop_, windows_, memory_, system_, log_, room_};
    platform::WindowHandle window_ = windows_.open(
        Gbk("Total Annihilation"), std::make_shared<platform::SimulatedTotalAnnihilation>(
                                       platform::SimulatedTotalAnnihilation::Setup{}));
};

TEST_F(RecorderWatch, RecorderIsOpenedOnceReadWhileItRecordsAndTheGameEndStopsBoth) {
    hook_.Start();
    loop_.advance(3000ms);
    EXPECT_FALSE(hook_.recorderOpen());
    platform::SimulatedRecorder recorder(memory_);
    for (const auto& [slot, name] : {std::pair{1, "ab"}, {2, "cd"}, {4, "ef"}, {10, "zz"}}) {
        recorder.setPlayer(slot, name);
    }
    recorder.setAllied(2, true);
    recorder.setAllied(4, true);
    // Only states 1 and 3 mean recording; the state is a whole int32.
    for (const auto& [state, reading] :
         {std::pair{0, false}, {3, true}, {2, false}, {256 + 1, false}, {-1, false}, {1, true}}) {
        recorder.setState(state);
        loop_.advance(1000ms);
        EXPECT_EQ(hook_.reading(), reading) << state;
        if (state == 2) {  // the reading started at state 1 finds no allies
            recorder.setAllied(2, false);
            recorder.setAllied(4, false);
        }
    }
    EXPECT_EQ(memory_.openCount(), 1);  // open once, kept
    windows_.close(window_);
    loop_.advance(3000ms);
    EXPECT_FALSE(hook_.watching());
    EXPECT_FALSE(hook_.reading());
    EXPECT_EQ(room_.notices, std::vector<Gbk>{returnNotice(Gbk("alice"))});
    EXPECT_GE(room_.clearCalls, 1);
    // The reader ran after states 3 and 1 were seen: a snapshot is logged when it changes.
    const std::string players = "4 players reported by Recorder; ab, cd, ef, zz; Player:ab";
    EXPECT_EQ(logLines(), (std::vector<std::string>{players + " is allied with: cd, ef",
                                                    players + ", allied no one."}));
}

TEST_F(RecorderWatch, TheEverySecondCheckKeepsTheReadersRhythm) {
    platform::SimulatedRecorder recorder(memory_);
    recorder.setState(1);
    recorder.setPlayer(1, "ab");
    hook_.Start();
    loop_.advance(1950ms);
    ASSERT_EQ(logLines().size(), 1U);
    recorder.setPlayer(2, "cd");
    loop_.advance(50ms);  // the reader's step at 2000 ms is due with the watch's
    EXPECT_EQ(logLines().size(), 2U);
}

}  // namespace
}  // namespace ardentis::game
