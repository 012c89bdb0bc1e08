#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/lobby_message.h"
#include "protocol/room_record.h"

namespace ardentis::server::testing {

using protocol::LobbyMessage;

// Records as clients build them.
[[nodiscard]] LobbyMessage loginRecord(std::string_view account, std::string_view password);
[[nodiscard]] LobbyMessage lobbyChat(std::string_view line);
[[nodiscard]] LobbyMessage userUpdate(std::string_view account, std::string_view nickname,
                                      std::string_view location, std::string_view password = {});
[[nodiscard]] protocol::RoomRecord room(std::string_view roomno, std::string_view host,
                                        std::int8_t maxplayers = 8);
[[nodiscard]] LobbyMessage roomRecord(std::int8_t subcommand, const protocol::RoomRecord& room);
[[nodiscard]] LobbyMessage roomJoin(std::string_view roomno, std::string_view account);
[[nodiscard]] LobbyMessage roomLeave(std::string_view roomno, std::string_view account);
[[nodiscard]] LobbyMessage roomChat(std::string_view line, std::string_view roomno,
                                    std::string_view account);
[[nodiscard]] LobbyMessage playerState(std::string_view roomno, std::string_view account,
                                       std::int32_t state);
[[nodiscard]] LobbyMessage gameStart(std::string_view roomno, std::string_view address,
                                     std::string_view account);

[[nodiscard]] bool isKind(const LobbyMessage& message, std::uint8_t command, std::int8_t sub);
// A user record (2,0 / 2,1 / 4,2 / 4,11) about the account.
[[nodiscard]] bool isUser(const LobbyMessage& message, std::uint8_t command, std::int8_t sub,
                          std::string_view account);
// A room record (4,0 / 4,9 / 4,10 / 4,15) for the room number.
[[nodiscard]] bool isRoom(const LobbyMessage& message, std::int8_t sub, std::string_view roomno);
[[nodiscard]] std::size_t count(const std::vector<LobbyMessage>& seen, std::uint8_t command,
                                std::int8_t sub);

// "作战指挥室>>" in code page 936.
[[nodiscard]] std::string notice();
[[nodiscard]] std::string lobbyWord();  // "大厅"

}  // namespace ardentis::server::testing
