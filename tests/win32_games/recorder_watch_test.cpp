#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "game/game_end.h"
#include "game/recorder_report.h"
#include "game/ta_watcher.h"
#include "platform/win32/win32_shared_memory.h"
#include "tests/win32_games/environment_override.h"
#include "tests/win32_games/game_test_fixture.h"
#include "tests/win32_games/recording_room.h"
#include "tests/win32_games/sim_paths.h"
#include "tests/win32_games/sim_process.h"

namespace ardentis::testing {
namespace {

using text::Gbk;

constexpr const char* kMapping = "TADemo-MKChat";

// How many whole lines of the text are the word (its standard output is in text mode).
int linesEqualTo(const std::string& text, const std::string& word) {
    int count = 0;
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        count += line == word ? 1 : 0;
        start = end + 1;
    }
    return count;
}

// The simulated TA Demo recorder as a process of its own, read through the real named
// shared memory.
class RecorderMemory : public GameTestFixture {
  protected:
    void startRecorder(const wchar_t* arguments) {
        auto started = SimProcess::start(simProgram("sim_recorder.exe"), arguments, true);
        ASSERT_TRUE(started.has_value());
        recorder_.emplace(*std::move(started));
        ASSERT_TRUE(waitFor([this] { return answers("ready") == 1; }));
    }
    // Sends one command and waits for the recorder to have carried it out.
    void tell(const std::string& command) {
        const int before = answers("ok");
        ASSERT_TRUE(recorder_->writeLine(command));
        ASSERT_TRUE(waitFor([&] { return answers("ok") > before; })) << command;
    }
    [[nodiscard]] int answers(const std::string& word) {
        return linesEqualTo(recorder_->output(), word);
    }

    platform::Win32SharedMemory memory_;
    std::optional<SimProcess> recorder_;
};

TEST_F(RecorderMemory, HoldsWhatItWasToldWhereTheClientReadsIt) {
    startRecorder(L"state=3 players=alice,bob allied=2");
    ASSERT_FALSE(HasFatalFailure());
    auto view = memory_.openMapping(kMapping, game::kRecorderBytes);
    ASSERT_TRUE(view.has_value());
    game::RecorderSnapshot snapshot{};
    (*view)->read(snapshot);
    EXPECT_EQ(game::recorderState(snapshot), 3);
    EXPECT_EQ(game::recorderReport(snapshot),
              Gbk("2 players reported by Recorder; alice, bob; Player:alice is allied with: bob"));
    tell("player 2");
    tell("player 10 abcdefghijklmnopqrstuvwxyz");
    tell("allied 10 1");
    (*view)->read(snapshot);
    EXPECT_EQ(game::recorderReport(snapshot),
              Gbk("2 players reported by Recorder; alice, abcdefghijklmnopqrs; "
                  "Player:alice is allied with: abcdefghijklmnopqrs"));
}

TEST_F(RecorderMemory, TheMemoryGoesWhenTheRecorderQuitsOrItsInputEnds) {
    for (const bool byQuit : {true, false}) {
        startRecorder(L"state=1 players=alice");
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(memory_.openMapping(kMapping, game::kRecorderBytes).has_value());
        if (byQuit) {
            ASSERT_TRUE(recorder_->writeLine("quit"));
        } else {
            recorder_->closeInput();
        }
        ASSERT_TRUE(waitFor([this] { return !recorder_->running(); })) << byQuit;
        EXPECT_EQ(recorder_->exitCode(), std::optional<std::uint32_t>(0));
        EXPECT_FALSE(memory_.openMapping(kMapping, game::kRecorderBytes).has_value()) << byQuit;
        recorder_.reset();
    }
}

// TTAHook follows the simulated game and recorder through the real window, shared memory and
// traffic log.
class RecorderWatch : public RecorderMemory {
  protected:
    void startGame() {
        (void)install("sim_totala.exe", "totala.exe");
        scratch_.addFile("tmphost.ini", "[totala]\r\ncreator=1\r\nplayer=alice\r\n");
        auto started = SimProcess::start(scratch_.path() / "totala.exe", L"-c tmphost.ini");
        ASSERT_TRUE(started.has_value());
        game_.emplace(*std::move(started));
        gameWindow_ = waitForWindow("Total Annihilation");
        ASSERT_NE(gameWindow_, platform::kNoWindow);
    }

    EnvironmentOverride ready_{L"ARDENTIS_SIM_TA_READY_MS", L"600000"};
    RecordingRoom room_;
    std::optional<SimProcess> game_;
    platform::WindowHandle gameWindow_ = platform::kNoWindow;
};

TEST_F(RecorderWatch, EachChangeIsReportedOnceAndTheGameEndPutsTheRoomBack) {
    startGame();
    ASSERT_FALSE(HasFatalFailure());
    startRecorder(L"state=1 players=alice,bob allied=2");
    ASSERT_FALSE(HasFatalFailure());
    game::TTAHook hook(loop_, windows_, memory_, system_, log_, room_);
    hook.Start();
    const std::string two =
        "2 players reported by Recorder; alice, bob; Player:alice is allied with: bob";
    ASSERT_TRUE(waitFor([&] { return trafficLinesWith(two) > 0; }));
    tell("player 3 carol");
    const std::string three =
        "3 players reported by Recorder; alice, bob, carol; Player:alice is allied with: bob";
    ASSERT_TRUE(waitFor([&] { return trafficLinesWith(three) > 0; }));
    tell("allied 2 0");
    const std::string alone =
        "3 players reported by Recorder; alice, bob, carol; Player:alice, allied no one.";
    ASSERT_TRUE(waitFor([&] { return trafficLinesWith(alone) > 0; }));
    EXPECT_EQ(trafficLinesWith(two), 1);
    EXPECT_EQ(trafficLinesWith(three), 1);
    EXPECT_EQ(trafficLinesWith(alone), 1);

    // Not recording any more: the reader stops at the next look, the watch goes on.
    tell("state 0");
    ASSERT_TRUE(waitFor([&] { return !hook.reading(); }));
    EXPECT_TRUE(hook.watching());
    EXPECT_TRUE(room_.notices.empty());

    windows_.sendMessage(gameWindow_, platform::kWmClose, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !hook.watching(); }));
    ASSERT_EQ(room_.notices.size(), 1U);
    EXPECT_EQ(room_.notices[0], game::returnNotice(Gbk("alice")));
    EXPECT_GE(room_.clearCalls, 1);
    EXPECT_TRUE(waitFor([&] { return !game_->running(); }));
}

}  // namespace
}  // namespace ardentis::testing
