#pragma once

#include "game/game_room.h"
#include "platform/game_windows.h"
#include "platform/system_info.h"
#include "text/gbk.h"

namespace ardentis::game {

// The check both watchers run each second: true while the game's window exists. Once it
// has gone, the player's return is announced and the room put back (flags, notice, ready
// box, state, battle status, room update, task keys, window sizes); the caller then stops.
[[nodiscard]] bool checkGameEnd(const platform::GameWindows& windows, const text::Gbk& title,
                                GameRoom& room, platform::SystemInfo& system);

// The return notice: the account and "从战斗中返回。", cut to 34 bytes.
[[nodiscard]] text::Gbk returnNotice(const text::Gbk& account);

}  // namespace ardentis::game
