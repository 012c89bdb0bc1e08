#pragma once

namespace ardentis::lobby::room_columns {

// The room list's columns after its caption (the room number), as the lobby model fills them.
inline constexpr int kState = 1;
inline constexpr int kComment = 2;
inline constexpr int kModName = 3;
inline constexpr int kMap = 4;
inline constexpr int kPlayers = 5;
inline constexpr int kPassword = 6;
inline constexpr int kHost = 7;
inline constexpr int kNetwork = 8;

}  // namespace ardentis::lobby::room_columns
