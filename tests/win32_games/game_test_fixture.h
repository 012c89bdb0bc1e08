#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/file_append.h"
#include "platform/file_system.h"
#include "platform/win32/win32_event_loop.h"
#include "platform/win32/win32_game_windows.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_system_info.h"
#include "protocol/traffic_log.h"
#include "tests/platform/scratch_directory.h"

namespace ardentis::testing {

// The client's Win32 side on the test's thread against simulated games running as
// processes of their own: a scratch game directory, the real event loop, windows, launcher
// and files, and the client's traffic log in the scratch directory.
class GameTestFixture : public ::testing::Test {
  protected:
    static constexpr std::chrono::seconds kPatience{20};

    GameTestFixture();

    // Runs the loop until `done` holds; false when it still does not after kPatience.
    [[nodiscard]] bool waitFor(const std::function<bool()>& done);
    // The first window with this title, once there is one.
    [[nodiscard]] platform::WindowHandle waitForWindow(const char* title);
    // A simulated program copied into the game directory under the game's own name.
    [[nodiscard]] text::Gbk install(std::string_view simFileName, std::string_view gameFileName);

    // The simulated games' lines in the game directory's simgame.log.
    [[nodiscard]] std::vector<std::string> simLog() const;
    [[nodiscard]] int simLogCount(std::string_view line) const;
    // The client's traffic log lines that contain `part`.
    [[nodiscard]] int trafficLinesWith(std::string_view part) const;

    ScratchDirectory scratch_;  // first in, last out: the programs in it end before it goes
    platform::Win32EventLoop loop_;
    platform::Win32GameWindows windows_;
    platform::Win32ProcessLauncher launcher_;
    platform::Win32SystemInfo system_;
    platform::SystemFileSystem files_;
    platform::SystemClock clock_;
    protocol::TrafficLog log_{platform::appendFileAt(scratch_.path() / "ardentisclient.log"),
                              clock_};

  private:
    // Wakes the loop now and then, so that waits on other processes see their progress.
    std::unique_ptr<platform::Timer> poll_;
};

// Whether `expected` appears in `lines` in this order, other lines between them allowed.
[[nodiscard]] ::testing::AssertionResult inOrder(const std::vector<std::string>& lines,
                                                 const std::vector<std::string>& expected);

}  // namespace ardentis::testing
