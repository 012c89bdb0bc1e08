#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "protocol/lobby_message.h"
#include "protocol/user_record.h"
#include "server/member.h"
#include "server/rooms.h"
#include "server/roster.h"

namespace ardentis::server {

// The logged-in users and what their records do. Account fields always come from the
// member, never from a record.
class Lobby {
  public:
    // Called when a user changes the nickname, to keep it with the account.
    using NicknameChanged =
        std::function<void(std::string_view account, std::string_view nickname)>;

    explicit Lobby(NicknameChanged nicknameChanged);

    // Takes a user who has just logged in: LoginOk and the lists go to the newcomer, the
    // newcomer's record to everyone else. nullptr when the account is already on line.
    [[nodiscard]] Member* enter(Peer& peer, const protocol::UserRecord& user);
    void handle(Member& sender, const protocol::LobbyMessage& message);
    // The connection is gone: the user leaves its room and everyone hears it.
    void leave(Member& member);

    [[nodiscard]] std::size_t online() const noexcept { return roster_.size(); }
    [[nodiscard]] std::size_t rooms() const noexcept { return rooms_.size(); }

  private:
    void lobbyChat(Member& sender, const protocol::LobbyMessage& message);
    void userUpdate(Member& sender, const protocol::LobbyMessage& message);
    void room(Member& sender, const protocol::LobbyMessage& message);

    NicknameChanged nicknameChanged_;
    Roster roster_;
    Rooms rooms_{roster_};
};

}  // namespace ardentis::server
