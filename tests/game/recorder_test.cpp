#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

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

namespace ardentis::game {
namespace {

using namespace std::chrono_literals;
using text::Gbk;

RecorderSnapshot snapshotOf(platform::FakeSharedMemory& memory) {
    auto view = memory.openMapping(platform::SimulatedRecorder::kMappingName, kRecorderBytes);
    RecorderSnapshot snapshot{};
    if (view) {
        (*view)->read(snapshot);
    }
    return snapshot;
}

TEST(RecorderReport, NamesThePlayersCutToNineteenAndPlayerOnesAllies) {
    const struct {
        std::vector<std::pair<int, const char*>> players;
        int ally;  // 0: none
        const char* report;
    } cases[] = {
        {{{1, "ab"}, {2, "cd"}, {4, "ef"}},
         4,
         "3 players reported by Recorder; ab, cd, ef; Player:ab is allied with: ef"},
        {{{1, "ab"}, {10, "zz"}},
         0,
         "2 players reported by Recorder; ab, zz; Player:ab, allied no one."},
        {{{1, "abcdefghijklmnopqrstuvwxyz"}},
         0,
         "1 players reported by Recorder; abcdefghijklmnopqrs; Player:abcdefghijklmnopqrs, allied "
         "no one."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.report);
        platform::FakeSharedMemory memory;
        platform::SimulatedRecorder recorder(memory);
        for (const auto& [slot, name] : c.players) {
            recorder.setPlayer(slot, name);
        }
        if (c.ally != 0) {
            recorder.setAllied(c.ally, true);
        }
        EXPECT_EQ(recorderReport(snapshotOf(memory)), Gbk(c.report));
    }
}

TEST(RecorderState, OnlyOneAndThreeMeanRecording) {
    platform::FakeSharedMemory memory;
    platform::SimulatedRecorder recorder(memory);
    for (const int state : {-1, 0, 1, 2, 3, 4, 256 + 1}) {
        recorder.setState(state);
        EXPECT_EQ(recorderRecording(snapshotOf(memory)), state == 1 || state == 3) << state;
        EXPECT_EQ(recorderState(snapshotOf(memory)), state);
    }
}

std::filesystem::path freshLogFile() {
    static std::atomic<int> counter{0};
    auto path =
        std::filesystem::temp_directory_path() /
        ("ardentis-recorder-test-" + std::to_string(counter++) + "-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".log");
    std::filesystem::remove(path);
    return path;
}

class RecorderWatch : public ::testing::Test {
  protected:
    RecorderWatch() {
        window_ = windows_.open(Gbk("Total Annihilation"),
                                std::make_shared<platform::SimulatedTotalAnnihilation>(
                                    platform::SimulatedTotalAnnihilation::Setup{}));
    }
    ~RecorderWatch() override { std::filesystem::remove(logFile_); }

    [[nodiscard]] int reportLines() const {
        std::ifstream file(logFile_, std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        const std::string all = content.str();
        int count = 0;
        for (auto at = all.find("players reported by Recorder"); at != std::string::npos;
             at = all.find("players reported by Recorder", at + 1)) {
            ++count;
        }
        return count;
    }

    std::filesystem::path logFile_ = freshLogFile();
    platform::ManualEventLoop loop_;
    platform::FakeGameWindows windows_;
    platform::FakeSharedMemory memory_;
    platform::FakeSystemInfo system_;
    platform::SystemClock clock_;
    protocol::TrafficLog log_{platform::appendFileAt(logFile_), clock_};
    ardentis::testing::RecordingRoom room_;
    TTAHook hook_{loop_, windows_, memory_, system_, log_, room_};
    platform::WindowHandle window_ = platform::kNoWindow;
};

TEST_F(RecorderWatch, NoRecorderIsTriedAgainEverySecond) {
    hook_.Start();
    loop_.advance(3000ms);
    EXPECT_FALSE(hook_.recorderOpen());
    platform::SimulatedRecorder recorder(memory_);
    loop_.advance(1000ms);
    EXPECT_TRUE(hook_.recorderOpen());
    EXPECT_EQ(memory_.openCount(), 1);
    loop_.advance(3000ms);
    EXPECT_EQ(memory_.openCount(), 1);  // open once, kept
}

TEST_F(RecorderWatch, ReaderRunsWhileTheRecorderRecords) {
    platform::SimulatedRecorder recorder(memory_);
    hook_.Start();
    loop_.advance(1000ms);
    EXPECT_FALSE(hook_.reading());  // state 0
    recorder.setState(3);
    loop_.advance(1000ms);
    EXPECT_TRUE(hook_.reading());
    recorder.setState(2);
    loop_.advance(1000ms);
    EXPECT_FALSE(hook_.reading());
}

TEST_F(RecorderWatch, TheEverySecondCheckKeepsTheReadersRhythm) {
    platform::SimulatedRecorder recorder(memory_);
    recorder.setState(1);
    recorder.setPlayer(1, "ab");
    hook_.Start();
    loop_.advance(1950ms);
    ASSERT_EQ(reportLines(), 1);
    recorder.setPlayer(2, "cd");
    loop_.advance(50ms);  // the reader's step at 2000 ms is due with the watch's
    EXPECT_EQ(reportLines(), 2);
}

TEST_F(RecorderWatch, GameEndStopsBothTimers) {
    platform::SimulatedRecorder recorder(memory_);
    recorder.setState(1);
    hook_.Start();
    loop_.advance(1000ms);
    windows_.close(window_);
    loop_.advance(1000ms);
    EXPECT_FALSE(hook_.watching());
    EXPECT_FALSE(hook_.reading());
    ASSERT_EQ(room_.notices.size(), 1U);
}

}  // namespace
}  // namespace ardentis::game
