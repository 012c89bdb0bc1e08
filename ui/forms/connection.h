#pragma once

#include <functional>

#include "game/mod_table.h"
#include "lobby/lobby_controls.h"
#include "lobby/lobby_model.h"
#include "protocol/connection_helpers.h"
#include "protocol/record_channel.h"
#include "room/room_context.h"
#include "room/room_window.h"

namespace ardentis::forms {

// The objects of one connection state, made anew by every reset. Held through a
// shared_ptr: a handler or a chat worker that is still using them keeps them alive while
// a reset (a disconnect raised inside a send, say) puts new ones in their place.
struct Connection {
    Connection(const protocol::TrafficLog& log, platform::InfoBox& infoBox,
               platform::ClientSocket& socket, protocol::ChannelFlags& flags,
               platform::Sleeper& sleeper, const settings::Toptions& options,
               const platform::FileSystem& files, room::BattleroomControls& battleroom,
               protocol::UserRecord& currentUser, std::function<bool()> gameRunning,
               lobby::LobbyControls lobbyControls, room::RoomWindow& roomWindow)
        : base(log, infoBox),
          com(socket, flags, base, sleeper),
          mods(options, files),
          roomContext{battleroom, currentUser, base, com, mods, std::move(gameRunning), {}},
          lobby(lobbyControls, roomContext, roomWindow) {}
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    protocol::TcBaseFunctions base;
    protocol::TCcom com;
    game::TModList mods;
    room::RoomContext roomContext;
    lobby::tclobby lobby;
};

}  // namespace ardentis::forms
