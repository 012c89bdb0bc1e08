#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/file_append.h"
#include "protocol/traffic_log.h"
#include "tests/channel/channel_test_support.h"
#include "tests/channel/log_writer_process.h"

namespace ardentis::protocol {
namespace {

using testing::FixedClock;
using testing::readFile;
using testing::ScratchDirectory;

constexpr platform::LocalTime kEvening{2026, 1, 31, 20, 15, 7, 456};
constexpr platform::LocalTime kEarlyMorning{2026, 1, 5, 3, 4, 9, 0};

class TrafficLogFile : public ::testing::Test {
  protected:
    ScratchDirectory dir;
    std::filesystem::path file = dir.path() / "ardentisclient.log";
};

TEST_F(TrafficLogFile, RecordLineOfAnEmptyRecord) {
    const FixedClock clock(kEvening);
    const TrafficLog log(platform::appendFileAt(file), clock);
    log.LogRecord(LobbyMessage{}, Direction::Send);
    EXPECT_EQ(readFile(file),
              "2026-01-31 20:15:07 Send 0:0 sparam1: sparam2: sparam3: sparam4: sparam5: "
              "sparam6: sparam7: sparam8: sparam9: iparam1:0 iparam2:0 iparam3:0 iparam4:0 "
              "iparam5:0 iparam6:0 iparam7:0 iparam8:0 iparam9:0 :iparam10:0 iparam11:0\r\n");
}

TEST_F(TrafficLogFile, RecordLinePadsTheTimeAndKeepsFieldBytesAsTheyAre) {
    const FixedClock clock(kEarlyMorning);
    const TrafficLog log(platform::appendFileAt(file), clock);
    LobbyMessage message{};
    message.setKind(4, 16);
    message.sparam1.set(std::string("\xD3\xCE\xCF\xB7\xB4\xF3\xCC\xFC"));  // 游戏大厅
    message.sparam2.set(std::string("50%d\x80"));
    message.iparam1.set(-5);
    message.iparam5.set(-1);
    message.iparam11.set(7);
    log.LogRecord(message, Direction::Recv);
    EXPECT_EQ(readFile(file),
              "2026-01-05 03:04:09 Recv 4:16 sparam1:\xD3\xCE\xCF\xB7\xB4\xF3\xCC\xFC "
              "sparam2:50%d\x80 sparam3: sparam4: sparam5: sparam6: sparam7: sparam8: sparam9: "
              "iparam1:-5 iparam2:0 iparam3:0 iparam4:0 iparam5:-1 iparam6:0 iparam7:0 "
              "iparam8:0 iparam9:0 :iparam10:0 iparam11:7\r\n");
}

TEST_F(TrafficLogFile, TextLineIsTheTextAndCrLfWithItsBytesUntouched) {
    const FixedClock clock(kEvening);
    const TrafficLog log(platform::appendFileAt(file), clock);
    const std::string gbk = "\xD7\xF7\xD5\xBD\xD6\xB8\xBB\xD3\xCA\xD2>> \x80\xFE\xA1 %s\n";
    log.LogText(text::Gbk(gbk));
    log.LogText(text::Gbk(""));
    EXPECT_EQ(readFile(file), gbk + "\r\n" + "\r\n");
}

TEST_F(TrafficLogFile, AppendsToWhatIsThere) {
    {
        const std::string before = "2025-12-31 23:59:59 Recv earlier line\r\n";
        ASSERT_TRUE(platform::appendToFile(file, before));
    }
    const FixedClock clock(kEvening);
    const TrafficLog first(platform::appendFileAt(file), clock);
    first.LogText(text::Gbk("one"));
    const TrafficLog second(platform::appendFileAt(file), clock);  // a later connection's log
    second.LogText(text::Gbk("two"));
    EXPECT_EQ(readFile(file), "2025-12-31 23:59:59 Recv earlier line\r\none\r\ntwo\r\n");
}

TEST_F(TrafficLogFile, AFileThatCannotBeOpenedIsSkippedSilently) {
    const FixedClock clock(kEvening);
    const TrafficLog inMissingDirectory(
        platform::appendFileAt(dir.path() / "missing" / "ardentisclient.log"), clock);
    EXPECT_NO_THROW(inMissingDirectory.LogText(text::Gbk("lost")));
    EXPECT_NO_THROW(inMissingDirectory.LogRecord(LobbyMessage{}, Direction::Send));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));

    const TrafficLog onADirectory(platform::appendFileAt(dir.path()), clock);
    EXPECT_NO_THROW(onADirectory.LogText(text::Gbk("lost")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
}

TEST_F(TrafficLogFile, TwoThreadsAppendingAtOnceLeaveEveryLineWhole) {
    constexpr int kLines = 2000;
    const FixedClock clock(kEvening);
    const TrafficLog log(platform::appendFileAt(file), clock);
    std::thread worker([&] { testing::writeLogLines(log, 'B', kLines); });
    testing::writeLogLines(log, 'A', kLines);
    worker.join();
    const auto counts = testing::checkLogLines(readFile(file));
    EXPECT_EQ(counts, (std::map<char, int>{{'A', kLines}, {'B', kLines}}));
}

TEST_F(TrafficLogFile, AnotherProcessAppendingAtOnceLeavesEveryLineWhole) {
    constexpr int kChildLines = 2000;
    const FixedClock clock(kEvening);
    const TrafficLog log(platform::appendFileAt(file), clock);
    std::atomic<bool> childDone{false};
    std::atomic<int> ownLines{0};
    std::thread writer([&] {
        // Keep writing for as long as the other process runs, so that the two overlap.
        while (!childDone.load() || ownLines.load() < 100) {
            testing::writeLogLine(log, 'P', ownLines.load());
            ownLines.fetch_add(1);
        }
    });
    const int status = testing::runLogWriterProcess(file, 'C', kChildLines);
    childDone.store(true);
    writer.join();
    ASSERT_EQ(status, 0);
    const auto counts = testing::checkLogLines(readFile(file));
    EXPECT_EQ(counts, (std::map<char, int>{{'C', kChildLines}, {'P', ownLines.load()}}));
}

TEST(ExecutableDirectory, HoldsTheRunningExecutable) {
    const std::filesystem::path directory = platform::executableDirectory();
    EXPECT_TRUE(std::filesystem::is_regular_file(directory / ARDENTIS_TEST_EXE_NAME))
        << directory.string();
}

TEST(SystemClock, GivesTheLocalTimeOfNow) {
    const std::time_t before = std::time(nullptr);
    const platform::LocalTime now = platform::SystemClock().now();
    const std::time_t after = std::time(nullptr);
    std::tm local{};
    local.tm_year = now.year - 1900;
    local.tm_mon = now.month - 1;
    local.tm_mday = now.day;
    local.tm_hour = now.hour;
    local.tm_min = now.minute;
    local.tm_sec = now.second;
    local.tm_isdst = -1;
    const std::time_t stamp = std::mktime(&local);
    EXPECT_GE(stamp, before - 1);
    EXPECT_LE(stamp, after + 1);
    EXPECT_GE(now.millisecond, 0);
    EXPECT_LE(now.millisecond, 999);
}

}  // namespace
}  // namespace ardentis::protocol
