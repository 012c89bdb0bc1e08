#pragma once

#include <cstdint>
#include <vector>

#include "controls/list_view.h"
#include "protocol/lobby_message.h"
#include "protocol/room_record.h"
#include "protocol/user_record.h"
#include "room/room_context.h"
#include "text/gbk.h"

namespace ardentis::room {

// A battle room: its record and its players. The lobby keeps one for every open room and
// one more for the room the user is in; only that one is shown (rows of lvRoom, lines of
// the room chat, the option controls).
class tcroom {
  public:
    // An empty room: no players, record all zero, the map taken as found.
    static tcroom create(RoomContext& context);
    // The same with the given record and player list.
    static tcroom createwith(RoomContext& context, const protocol::RoomRecord& room,
                             forms::ListView& view);

    // The user leaves this room: sends the leave record and announces the lobby as the
    // user's location. The object is dropped by the caller afterwards.
    void destroy();

    void addplayer(const protocol::UserRecord& user, bool shown);
    void removeplayer(const text::Gbk& account, bool shown);
    [[nodiscard]] bool hasplayer(const protocol::UserRecord& user) const;
    void setplayerstate(std::int32_t state, const text::Gbk& account);
    void checkstart();

    [[nodiscard]] protocol::RoomRecord collectoptions() const;
    void applyoptions(const protocol::RoomRecord& room);

    void sendroom();
    void sendoptions();
    void sendstate();
    void sendchat(const text::Gbk& line);
    // The room chat record of sendchat, built on the window thread for a chat worker.
    [[nodiscard]] protocol::LobbyMessage chatRecord(const text::Gbk& line) const;
    void sendnotice(const text::Gbk& line);
    void showmessage(const text::Gbk& line);

    // The ready mark shown for a state value.
    [[nodiscard]] static const text::Gbk& stateMark(std::int32_t state);

    bool mapok = true;
    forms::ListView* view;  // not owned: the battle room window's player list
    protocol::RoomRecord info;
    std::int32_t playercount = 0;
    std::vector<protocol::UserRecord> playerlist;

  private:
    tcroom(RoomContext& context, forms::ListView& playerView)
        : view(&playerView), context_(&context) {}

    [[nodiscard]] bool ownAccountIsHost() const;
    [[nodiscard]] const text::Gbk& ownAccount() const;
    [[nodiscard]] int readyState() const;
    void reopenAfterBattle();

    RoomContext* context_;  // not owned; lives for the connection
};

}  // namespace ardentis::room
