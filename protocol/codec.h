#pragma once

#include "protocol/lobby_message.h"
#include "protocol/room_record.h"
#include "protocol/user_record.h"

namespace ardentis::protocol {

// The mapping of user and room records onto the record's fields. Pure conversions.
// The decode and encode copy counts differ per field, as the wire format has them.
// DecodeUser and EncodeUser pass the cipher's CipherError on unchanged.
[[nodiscard]] UserRecord DecodeUser(const LobbyMessage& message);
// Writes only the user's fields into an already zero-filled record.
void EncodeUser(const UserRecord& user, LobbyMessage& message);
[[nodiscard]] RoomRecord DecodeRoom(const LobbyMessage& message);
void EncodeRoom(const RoomRecord& room, LobbyMessage& message);

}  // namespace ardentis::protocol
