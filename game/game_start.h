#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <functional>

#include "game/launch_files.h"
#include "platform/event_loop.h"
#include "platform/file_system.h"
#include "platform/game_windows.h"
#include "platform/os_error.h"
#include "platform/process_launcher.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "protocol/room_record.h"
#include "text/gbk.h"

namespace ardentis::game {

// The start of one game on this machine, in the order the game needs it: the launch file
// first; then, once the room has been told, the task keys, the gamma value, the shell
// start and a bounded wait for the game's window.
class GameStart {
  public:
    // The parts of the machine a start uses. All borrowed.
    struct Machine {
        platform::FileSystem& files;
        platform::Registry& registry;
        platform::SystemInfo& system;
        platform::ProcessLauncher& launcher;
        platform::GameWindows& windows;
        const platform::EventLoop& loop;  // its clock bounds the wait
        // Blocks the window thread for one poll of the wait.
        std::function<void(std::chrono::milliseconds)> wait;
    };

    struct Plan {
        Game game = Game::TotalAnnihilation;
        Role role = Role::Joiner;
        text::Gbk exePath;
        text::Gbk taDir;  // with its trailing separator
        text::Gbk account;
        text::Gbk hostip;  // a joiner's way to the host's game
        // The host's launch file: the room's options, the map and its own address.
        protocol::RoomRecord options;
        text::Gbk map;
        text::Gbk vnnip;
    };

    enum class Failure : std::uint8_t {
        ShellRefused,  // the executable could not be started at all
        NoWindow,      // started, but no window within the limit
    };
    struct LaunchError {
        Failure failure = Failure::NoWindow;
        platform::OsError os;  // for ShellRefused
    };

    // The real game opens its window within seconds; after this the start is given up.
    static constexpr std::chrono::milliseconds kWindowLimit{30'000};
    static constexpr std::chrono::milliseconds kWindowPoll{10};

    GameStart(Machine machine, Plan plan);

    // Total Annihilation's launch file; nothing for Supreme Commander, whose command line
    // says it all. Nothing else has happened when it fails.
    [[nodiscard]] std::expected<void, platform::OsError> writeLaunchFile();
    // Where writeLaunchFile writes, for messages.
    [[nodiscard]] text::Gbk launchFilePath() const;
    // Starts the game and waits for its window. On failure the task keys are on again.
    [[nodiscard]] std::expected<void, LaunchError> launch();

  private:
    [[nodiscard]] bool totalAnnihilation() const { return plan_.game == Game::TotalAnnihilation; }
    [[nodiscard]] bool waitForWindow() const;

    Machine machine_;
    Plan plan_;
};

}  // namespace ardentis::game
