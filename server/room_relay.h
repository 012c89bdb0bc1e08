#pragma once

#include "protocol/lobby_message.h"
#include "server/member.h"

// Records that stay inside one room. Each is rebuilt from the sender's session: the
// account fields are the session's, and a sender outside the room named reaches nobody.
namespace ardentis::server::room_relay {

// RoomChat: to every member, the sender included, if the line is the sender's own.
void chat(Member& sender, const protocol::LobbyMessage& message);
// RoomOptions: from the host to the other members.
void options(Member& sender, const protocol::LobbyMessage& message);
// PlayerState: from a member to the other members.
void playerState(Member& sender, const protocol::LobbyMessage& message);
// GameStart: from the host to the other members.
void gameStart(Member& sender, const protocol::LobbyMessage& message);

// Delivers to every member of the room except `except` (which may be nullptr).
void toRoom(const Room& room, const Frame& frame, const Member* except);

}  // namespace ardentis::server::room_relay
