#pragma once

#include <cstdint>

namespace ardentis::protocol {

// The command bytes of the record kinds. Sub-commands are signed on the wire.
namespace command {
inline constexpr std::uint8_t kLogin = 0;
inline constexpr std::uint8_t kLobbyChat = 1;
inline constexpr std::uint8_t kUser = 2;
inline constexpr std::uint8_t kRoom = 4;
}  // namespace command

namespace subcommand {
inline constexpr std::int8_t kLogin = 0;
inline constexpr std::int8_t kLoginOk = 0;
inline constexpr std::int8_t kLoginBad = 1;
inline constexpr std::int8_t kLoginDup = -1;
inline constexpr std::int8_t kLobbyChat = 0;
inline constexpr std::int8_t kUserUpdate = 0;
inline constexpr std::int8_t kUserGone = 1;  // any value but 0 is read as gone
inline constexpr std::int8_t kRoomUpdate = 0;
inline constexpr std::int8_t kRoomEnter = 2;
inline constexpr std::int8_t kRoomChat = 5;
inline constexpr std::int8_t kRoomClosed = 9;
inline constexpr std::int8_t kRoomJoin = 10;
inline constexpr std::int8_t kRoomMember = 11;
inline constexpr std::int8_t kRoomLeave = 12;
inline constexpr std::int8_t kRoomOptions = 15;
inline constexpr std::int8_t kPlayerState = 16;
inline constexpr std::int8_t kGameStart = 20;
}  // namespace subcommand

}  // namespace ardentis::protocol
