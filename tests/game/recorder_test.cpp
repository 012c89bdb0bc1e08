#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "game/game_end.h"
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
    platform::FakeSharedMemory memory;
    platform::SimulatedRecorder recorder(memory);
    for (const auto& [slot, name] : {std::pair{1, "ab"}, {2, "cd"}, {4, "ef"}, {10, "zz"}}) {
        recorder.setPlayer(slot, name);
    }
    recorder.setAllied(2, true);
    recorder.setAllied(4, true);
    const std::string players = "4 players reported by Recorder; ab, cd, ef, zz; Player:ab";
    EXPECT_EQ(recorderReport(snapshotOf(memory)), Gbk(players + " is allied with: cd, ef"));
    recorder.setAllied(2, false);
    recorder.setAllied(4, false);
    EXPECT_EQ(recorderReport(snapshotOf(memory)), Gbk(players + ", allied no one."));
    // A length byte past 19, which stops the name at the next slot, reads 19 characters.
    RecorderSnapshot snapshot{};
    snapshot[148] = std::byte{40};
    std::fill(snapshot.begin() + 149, snapshot.begin() + 168, std::byte{0x78});  // x
    const std::string name(19, 'x');
    EXPECT_EQ(recorderReport(snapshot), Gbk("1 players reported by Recorder; " + name +
                                            "; Player:" + name + ", allied no one."));
}

// TTAHook on a manual clock over a running game, its traffic log in a scratch file.
class RecorderWatch : public ::testing::Test {
  protected:
    [[nodiscard]] std::size_t reportLines() const {
        return testing::lines(testing::readFile(scratch_ / "client.log")).size();
    }

    testing::ScratchDirectory scratch_;
    platform::ManualEventLoop loop_;
    platform::FakeGameWindows windows_;
    platform::FakeSharedMemory memory_;
    platform::FakeSystemInfo system_;
    platform::SystemClock clock_;
    protocol::TrafficLog log_{platform::appendFileAt(scratch_ / "client.log"), clock_};
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
    recorder.setPlayer(1, "ab");
    // Only states 1 and 3 mean recording; the state is a whole int32.
    for (const auto& [state, reading] :
         {std::pair{0, false}, {3, true}, {2, false}, {256 + 1, false}, {-1, false}, {1, true}}) {
        recorder.setState(state);
        loop_.advance(1000ms);
        EXPECT_EQ(hook_.reading(), reading) << state;
    }
    EXPECT_EQ(memory_.openCount(), 1);  // open once, kept
    windows_.close(window_);
    loop_.advance(3000ms);
    EXPECT_FALSE(hook_.watching());
    EXPECT_FALSE(hook_.reading());
    EXPECT_EQ(room_.notices, std::vector<Gbk>{returnNotice(Gbk("alice"))});
    EXPECT_GE(room_.clearCalls, 1);
    // The reader ran after states 3 and 1 were seen: a snapshot is logged when it changes.
    EXPECT_EQ(reportLines(), 2U);
}

TEST_F(RecorderWatch, TheEverySecondCheckKeepsTheReadersRhythm) {
    platform::SimulatedRecorder recorder(memory_);
    recorder.setState(1);
    recorder.setPlayer(1, "ab");
    hook_.Start();
    loop_.advance(1950ms);
    ASSERT_EQ(reportLines(), 1U);
    recorder.setPlayer(2, "cd");
    loop_.advance(50ms);  // the reader's step at 2000 ms is due with the watch's
    EXPECT_EQ(reportLines(), 2U);
}

}  // namespace
}  // namespace ardentis::game
