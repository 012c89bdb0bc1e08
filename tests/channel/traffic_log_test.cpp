#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <string_view>
#include <thread>

#include "platform/clock.h"
#include "platform/file_append.h"
#include "protocol/record_text.h"
#include "protocol/traffic_log.h"
#include "tests/support/doubles.h"
#include "tests/support/scratch_directory.h"

namespace ardentis::protocol {
namespace {

using testing::readFile;

constexpr std::string_view kWriterOption = "--append-log-lines";
#ifdef _WIN32
constexpr std::string_view kShellQuote = "\"";  // cmd /c drops a command's outermost quotes
#else
constexpr std::string_view kShellQuote;
#endif

// A line that shows whether it landed whole: its writer's tag, its number and a long body
// made from both.
std::string lineFor(char tag, int index) {
    std::string line = tag + (" " + std::to_string(index) + " ");
    for (int i = 0; i < 90; ++i) {
        line += static_cast<char>('a' + (index + i + tag) % 26);
    }
    return line;
}

// How many lines each writer left, failing unless all are whole and in each writer's order.
std::map<char, int> wholeLines(const std::string& bytes) {
    std::map<char, int> counts;
    EXPECT_TRUE(bytes.ends_with("\r\n")) << "the file does not end with a whole line";
    for (const std::string& line : testing::lines(bytes)) {
        const char tag = line.empty() ? '?' : line.front();
        if (line != lineFor(tag, counts[tag])) {
            ADD_FAILURE() << "line is not whole or out of order: " << line;
            break;
        }
        ++counts[tag];
    }
    return counts;
}

class TrafficLogFile : public ::testing::Test {
  protected:
    testing::ScratchDirectory dir;
    std::filesystem::path file = dir / "ardentisclient.log";
    testing::FixedClock clock{platform::LocalTime{2026, 1, 5, 3, 4, 9, 456}};
    TrafficLog log{platform::appendFileAt(file), clock};
};

TEST_F(TrafficLogFile, AppendsRecordAndTextLinesWithTheirBytesUntouched) {
    ASSERT_TRUE(platform::appendToFile(file, "earlier line\r\n"));
    LobbyMessage message{};
    message.setKind(4, 16);
    message.sparam1.set(std::string("\xD3\xCE\xCF\xB7 50%d\x80\n"));  // 游戏
    log.LogRecord(message, Direction::Recv);
    const std::string text = "\xD7\xF7\xD5\xBD>> \x80\xFE\xA1 %s\n";
    log.LogText(text::Gbk(text));
    const TrafficLog later(platform::appendFileAt(file), clock);  // a later connection's log
    later.LogText(text::Gbk(""));
    later.LogRecord(LobbyMessage{}, Direction::Send);
    EXPECT_EQ(readFile(file), "earlier line\r\n2026-01-05 03:04:09 Recv 4:16 " +
                                  RecordText(message).bytes() + "\r\n" + text + "\r\n\r\n" +
                                  "2026-01-05 03:04:09 Send 0:0 " +
                                  RecordText(LobbyMessage{}).bytes() + "\r\n");
}

TEST_F(TrafficLogFile, AFileThatCannotBeOpenedIsSkippedSilently) {
    for (const auto& path : {dir / "missing" / "ardentisclient.log", dir.path()}) {
        const TrafficLog lost(platform::appendFileAt(path), clock);
        EXPECT_NO_THROW(lost.LogText(text::Gbk("lost")));
        EXPECT_NO_THROW(lost.LogRecord(LobbyMessage{}, Direction::Send));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST_F(TrafficLogFile, TwoThreadsAppendingAtOnceLeaveEveryLineWhole) {
    const auto write = [this](char tag) {
        for (int i = 0; i < 2000; ++i) {
            log.LogText(text::Gbk(lineFor(tag, i)));
        }
    };
    std::thread worker(write, 'B');
    write('A');
    worker.join();
    EXPECT_EQ(wholeLines(readFile(file)), (std::map<char, int>{{'A', 2000}, {'B', 2000}}));
}

TEST_F(TrafficLogFile, AnotherProcessAppendingAtOnceLeavesEveryLineWhole) {
    std::atomic<bool> childDone{false};
    int ownLines = 0;
    std::thread writer([&] {
        // Keep writing for as long as the other process runs, so that the two overlap.
        while (!childDone.load() || ownLines < 100) {
            log.LogText(text::Gbk(lineFor('P', ownLines++)));
        }
    });
    const auto self = platform::executableDirectory() / ARDENTIS_TEST_EXE_NAME;
    const std::string command = std::string(kShellQuote) + '"' + self.string() + "\" " +
                                std::string(kWriterOption) + " \"" + file.string() + "\" C 2000" +
                                std::string(kShellQuote);
    const int status = std::system(command.c_str());
    childDone.store(true);
    writer.join();
    ASSERT_EQ(status, 0);
    EXPECT_EQ(wholeLines(readFile(file)), (std::map<char, int>{{'C', 2000}, {'P', ownLines}}));
}

TEST(SystemClock, GivesTheLocalTimeOfNow) {
    const std::time_t before = std::time(nullptr);
    const platform::LocalTime now = platform::SystemClock().now();
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
    EXPECT_LE(stamp, std::time(nullptr) + 1);
    EXPECT_TRUE(now.millisecond >= 0 && now.millisecond <= 999) << now.millisecond;
}

}  // namespace
}  // namespace ardentis::protocol

// Started again as "--append-log-lines FILE TAG COUNT", this program is the second process
// that appends to the log.
int main(int argc, char** argv) {
    namespace ar = ardentis;
    if (argc == 5 && std::string_view(argv[1]) == ar::protocol::kWriterOption) {
        const ar::testing::FixedClock clock;
        const ar::protocol::TrafficLog log(ar::platform::appendFileAt(argv[2]), clock);
        for (int i = 0; i < std::atoi(argv[4]); ++i) {
            log.LogText(ar::text::Gbk(ar::protocol::lineFor(argv[3][0], i)));
        }
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
