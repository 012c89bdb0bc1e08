#pragma once

#include <functional>

#include "game/mod_table.h"
#include "protocol/connection_helpers.h"
#include "protocol/record_channel.h"
#include "protocol/user_record.h"
#include "room/battleroom_controls.h"

namespace ardentis::room {

// What every room object works with during one connection. All borrowed: the battle room
// window's controls and the current-user record live for the whole run; the helper, the
// channel and the mod table for the connection.
struct RoomContext {
    BattleroomControls& window;
    protocol::UserRecord& currentUser;
    const protocol::TcBaseFunctions& base;
    protocol::TCcom& com;
    const game::TModList& mods;
    // True while a top-level window of either game exists.
    std::function<bool()> gameRunning;
    // The lobby model's announcement of the user's own record (after leaving a room).
    std::function<void()> sendself;
    // Set when this connection has ended (a reset put new objects in place, possibly from
    // inside one of our own sends): a model step that sees it stops, so nothing more is sent
    // for the old connection or written into the new state.
    bool ended = false;
};

}  // namespace ardentis::room
