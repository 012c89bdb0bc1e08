#include "tests/win32_games/game_test_fixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tests/win32_games/sim_paths.h"

namespace ardentis::testing {
namespace {

constexpr int kPollMs = 20;

std::vector<std::string> linesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

GameTestFixture::GameTestFixture() : poll_(loop_.createTimer(kPollMs, true, [] {})) {}

bool GameTestFixture::waitFor(const std::function<bool()>& done) {
    return loop_.runUntil(done, kPatience);
}

platform::WindowHandle GameTestFixture::waitForWindow(const char* title) {
    platform::WindowHandle found = platform::kNoWindow;
    (void)waitFor([&] {
        found = windows_.findWindow(text::Gbk(title));
        return found != platform::kNoWindow;
    });
    return found;
}

text::Gbk GameTestFixture::install(std::string_view simFileName, std::string_view gameFileName) {
    std::filesystem::copy_file(simProgram(simFileName), scratch_.path() / gameFileName);
    return scratch_.gbk() + text::Gbk(gameFileName);
}

std::vector<std::string> GameTestFixture::simLog() const {
    return linesOf(scratch_.path() / "simgame.log");
}

int GameTestFixture::simLogCount(std::string_view line) const {
    const auto lines = simLog();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

int GameTestFixture::trafficLinesWith(std::string_view part) const {
    int count = 0;
    for (const auto& line : linesOf(log_.file())) {
        count += line.find(part) != std::string::npos ? 1 : 0;
    }
    return count;
}

::testing::AssertionResult inOrder(const std::vector<std::string>& lines,
                                   const std::vector<std::string>& expected) {
    auto from = lines.begin();
    for (const auto& wanted : expected) {
        from = std::find(from, lines.end(), wanted);
        if (from == lines.end()) {
            std::ostringstream all;
            for (const auto& line : lines) {
                all << "\n  " << line;
            }
            return ::testing::AssertionFailure()
                   << "\"" << wanted << "\" missing or out of order in:" << all.str();
        }
        ++from;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace ardentis::testing
