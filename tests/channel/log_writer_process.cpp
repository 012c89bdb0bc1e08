#include "tests/channel/log_writer_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/clock.h"
#include "platform/file_append.h"
#include "tests/channel/channel_test_support.h"

namespace ardentis::testing {
namespace {

constexpr std::string_view kWriterOption = "--append-log-lines";

#ifdef _WIN32
// cmd /c drops the outermost quotes of a command that starts with one.
constexpr std::string_view kShellOpen = "\"";
constexpr std::string_view kShellClose = "\"";
#else
constexpr std::string_view kShellOpen;
constexpr std::string_view kShellClose;
#endif

std::string lineFor(char tag, int index) {
    char number[16];
    std::snprintf(number, sizeof number, "%06d", index);
    std::string line(1, tag);
    line += ' ';
    line += number;
    line += ' ';
    // A long body, so that a split or overlapping write would show.
    for (int i = 0; i < 90; ++i) {
        line += static_cast<char>('a' + (index + i + tag) % 26);
    }
    return line;
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

void writeLogLine(const protocol::TrafficLog& log, char tag, int index) {
    log.LogText(text::Gbk(lineFor(tag, index)));
}

void writeLogLines(const protocol::TrafficLog& log, char tag, int count) {
    for (int index = 0; index < count; ++index) {
        writeLogLine(log, tag, index);
    }
}

std::map<char, int> checkLogLines(const std::string& bytes) {
    std::map<char, int> counts;
    if (!bytes.empty()) {
        EXPECT_TRUE(bytes.ends_with("\r\n")) << "the file does not end with a whole line";
    }
    for (const std::string& line : lines(bytes)) {
        if (line.empty()) {
            ADD_FAILURE() << "an empty line";
            continue;
        }
        const char tag = line.front();
        const int expected = counts[tag];
        if (line != lineFor(tag, expected)) {
            ADD_FAILURE() << "line is not whole or out of order: " << line;
            return counts;
        }
        counts[tag] = expected + 1;
    }
    return counts;
}

int runLogWriterProcess(const std::filesystem::path& file, char tag, int count) {
    const std::filesystem::path self = platform::executableDirectory() / ARDENTIS_TEST_EXE_NAME;
    const std::string command = std::string(kShellOpen) + quoted(self.string()) + " " +
                                std::string(kWriterOption) + " " + quoted(file.string()) + " " +
                                tag + " " + std::to_string(count) + std::string(kShellClose);
    return std::system(command.c_str());
}

std::optional<int> logWriterMain(int argc, char** argv) {
    if (argc != 5 || std::string_view(argv[1]) != kWriterOption) {
        return std::nullopt;
    }
    const FixedClock clock(platform::LocalTime{});
    const protocol::TrafficLog log(platform::appendFileAt(argv[2]), clock);
    writeLogLines(log, argv[3][0], std::atoi(argv[4]));
    return 0;
}

}  // namespace ardentis::testing
