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

constexpr std::string_view kWriterOption = "--append-log-lines";
#ifdef _WIN32
constexpr std::string_view kShellQuote = "\"";  // cmd /c drops a command's outermost quotes
#else
constexpr std::string_view kShellQuote;
#endif

// A line that shows whether it landed whole: its writer's tag, its number and a long body
// made from both.
std::string lineFor(char tag, int index) {
    return tag + (" " + std::to_string(index) + " ") +
           std::string(90, static_cast<char>('a' + (index + tag) % 26));
}

class TrafficLogFile : public ::testing::Test {
  protected:
    testing::ScratchDirectory dir;
    std::filesystem::path file = dir / "ardentisclient.log";
    testing::FixedClock clock{platform::LocalTime{2026, 1, 5, 3, 4, 9, 456}};
    TrafficLog log{platform::appendFileAt(file), clock};
};

// How a record is logged shows in the channel's cases; a file that cannot be opened is
// skipped silently.
TEST_F(TrafficLogFile, AppendsTextLinesWithTheirBytesUntouchedOrSkipsAFileItCannotOpen) {
    ASSERT_TRUE(platform::appendToFile(file, "earlier line\r\n"));
    const std::string text = "\xD7\xF7\xD5\xBD>> \x80\xFE\xA1 %s%d\n";  // 作战 in GBK
    log.LogText(text::Gbk(text));
    const TrafficLog later(platform::appendFileAt(file), clock);  // a later connection's log
    later.LogText(text::Gbk(""));
    later.LogRecord(LobbyMessage{}, Direction::Send);
    EXPECT_EQ(testing::readFile(file), "earlier line\r\n" + text +
                                           "\r\n\r\n2026-01-05 03:04:09 Send 0:0 " +
                                           RecordText(LobbyMessage{}).bytes() + "\r\n");
    for (const auto& path : {dir / "missing" / "ardentisclient.log", dir.path()}) {
        const TrafficLog lost(platform::appendFileAt(path), clock);
        EXPECT_NO_THROW(lost.LogText(text::Gbk("lost")));
        EXPECT_NO_THROW(lost.LogRecord(LobbyMessage{}, Direction::Send));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

// Two threads of this process and another process append at once; every line lands whole and
// in its writer's order.
TEST_F(TrafficLogFile, TwoThreadsAndAnotherProcessAppendingAtOnceLeaveEveryLineWhole) {
    std::thread worker([this] {
        for (int i = 0; i < 2000; ++i) {
            log.LogText(text::Gbk(lineFor('B', i)));
        }
    });
    std::atomic<bool> childDone{false};
    int ownLines = 0;
    std::thread writer([&] {  // writes for as long as the other process runs
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
    worker.join();
    ASSERT_EQ(status, 0);
    const std::string bytes = testing::readFile(file);
    EXPECT_TRUE(bytes.ends_with("\r\n")) << "the file does not end with a whole line";
    std::map<char, int> counts;
    for (const std::string& line : testing::lines(bytes)) {
        const char tag = line.empty() ? '?' : line.front();
        ASSERT_EQ(line, lineFor(tag, counts[tag]++)) << "a line is not whole or out of order";
    }
    EXPECT_EQ(counts, (std::map<char, int>{{'B', 2000}, {'C', 2000}, {'P', ownLines}}));
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
    EXPECT_TRUE(stamp >= before - 1 && stamp <= std::time(nullptr) + 1) << stamp - before;
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
