#pragma once

#include <cstdint>
#include <expected>

#include "platform/file_system.h"
#include "platform/os_error.h"
#include "platform/process_launcher.h"
#include "platform/registry.h"
#include "protocol/room_record.h"
#include "text/gbk.h"

namespace ardentis::game {

inline constexpr const char* kHostIniName = "tmphost.ini";
inline constexpr const char* kClientIniName = "tmpclient.ini";

// The host's launch file: the game options of `room` (radio groups as index + 1, sliders
// as positions, as collectoptions gives them), this machine's virtual-LAN address, the
// player and the map. Every line ends with CR LF.
[[nodiscard]] text::Gbk hostIniText(const protocol::RoomRecord& room, const text::Gbk& map,
                                    const text::Gbk& vnnip, const text::Gbk& account);
// A joiner's launch file: no game options, only the way to the host's game.
[[nodiscard]] text::Gbk clientIniText(const text::Gbk& hostip, const text::Gbk& account);

// Write them into the Total Annihilation directory (ending with its separator), replacing
// what is there.
[[nodiscard]] std::expected<void, platform::OsError> createhostinifile(
    platform::FileSystem& files, const text::Gbk& taDir, const protocol::RoomRecord& room,
    const text::Gbk& map, const text::Gbk& vnnip, const text::Gbk& account);
[[nodiscard]] std::expected<void, platform::OsError> createclientinifile(
    platform::FileSystem& files, const text::Gbk& taDir, const text::Gbk& hostip,
    const text::Gbk& account);

// Before every Total Annihilation start: "gamma" = 12 as a DWORD under the game's key of
// the current user, the key created when missing.
[[nodiscard]] std::expected<void, platform::RegistryError> writeGamma(platform::Registry& registry);

enum class Game : std::uint8_t { TotalAnnihilation, SupremeCommander };
enum class Role : std::uint8_t { Host, Joiner };

// What the executable is started with, and how its window shows.
struct LaunchCommand {
    text::Gbk parameters;
    platform::WindowMode mode = platform::WindowMode::Normal;
    friend bool operator==(const LaunchCommand&, const LaunchCommand&) = default;
};

// The parameters and window mode per game and role; `hostip` counts only for a Supreme
// Commander joiner.
[[nodiscard]] LaunchCommand launchCommand(Game game, Role role, const text::Gbk& account,
                                          const text::Gbk& hostip);

// The game of a mod code: "SC" is Supreme Commander, any other Total Annihilation.
[[nodiscard]] Game gameOfCode(const text::Gbk& code);

}  // namespace ardentis::game
