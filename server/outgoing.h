#pragma once

#include <cstdint>
#include <string_view>

#include "protocol/lobby_message.h"
#include "protocol/room_record.h"
#include "protocol/user_record.h"

namespace ardentis::server {

// Records the server sends, built from zero with only the fields the kind carries.
// A user record always goes out without its password.
[[nodiscard]] protocol::LobbyMessage userMessage(std::uint8_t command, std::int8_t subcommand,
                                                 const protocol::UserRecord& user);
[[nodiscard]] protocol::LobbyMessage roomMessage(std::uint8_t command, std::int8_t subcommand,
                                                 const protocol::RoomRecord& room);
[[nodiscard]] protocol::LobbyMessage emptyMessage(std::uint8_t command, std::int8_t subcommand);

// Who may say a chat line: a lobby line starts with the account and ">>"; a room line
// also may start with the room notice prefix followed by the account.
[[nodiscard]] bool isOwnLobbyLine(std::string_view account, std::string_view line);
[[nodiscard]] bool isOwnRoomLine(std::string_view account, std::string_view line);

// The location of a user in the lobby, "大厅" in code page 936.
[[nodiscard]] std::string_view lobbyLocation();

}  // namespace ardentis::server
