#include "server/room_relay.h"

#include "protocol/codec.h"
#include "protocol/message_kind.h"
#include "server/outgoing.h"

namespace ardentis::server::room_relay {
namespace {

namespace sub = protocol::subcommand;
using protocol::command::kRoom;

// The sender's room when the record names it; nullptr otherwise.
Room* namedRoom(const Member& sender, std::string_view roomno) {
    if (sender.room == nullptr || sender.room->record.roomno.view() != roomno) {
        return nullptr;
    }
    return sender.room;
}

}  // namespace

void toRoom(const Room& room, const Frame& frame, const Member* except) {
    for (Member* member : room.members) {
        // A member back after a drop hears its room again once it asks for its seat, as the
        // room may mean nothing to its client until then.
        if (member != except && !member->seatUnclaimed) {
            member->deliver(frame);
        }
    }
}

void chat(Member& sender, const protocol::LobbyMessage& message) {
    Room* room = namedRoom(sender, message.sparam2.view());
    const std::string_view account = sender.user.account.view();
    if (room == nullptr || !isOwnRoomLine(account, message.sparam1.view())) {
        return;
    }
    protocol::LobbyMessage out = emptyMessage(kRoom, sub::kRoomChat);
    out.sparam1.set(message.sparam1.view());
    out.sparam2.set(room->record.roomno.view());
    out.sparam3.set(account);
    toRoom(*room, makeFrame(out), nullptr);
}

void options(Member& sender, const protocol::LobbyMessage& message) {
    Room* room = sender.room;
    if (room == nullptr || room->host != &sender) {
        return;
    }
    protocol::RoomRecord record = protocol::DecodeRoom(message);
    record.host = room->record.host;
    record.roomno = room->record.roomno;
    record.players = room->record.players;
    toRoom(*room, makeFrame(roomMessage(kRoom, sub::kRoomOptions, record)), &sender);
}

void playerState(Member& sender, const protocol::LobbyMessage& message) {
    Room* room = namedRoom(sender, message.sparam1.view());
    if (room == nullptr) {
        return;
    }
    protocol::LobbyMessage out = emptyMessage(kRoom, sub::kPlayerState);
    out.sparam1.set(room->record.roomno.view());
    out.sparam2.set(sender.user.account.view());
    out.iparam1 = message.iparam1;
    toRoom(*room, makeFrame(out), &sender);
}

void gameStart(Member& sender, const protocol::LobbyMessage& message) {
    Room* room = namedRoom(sender, message.sparam1.view());
    if (room == nullptr || room->host != &sender) {
        return;
    }
    protocol::LobbyMessage out = emptyMessage(kRoom, sub::kGameStart);
    out.sparam1.set(room->record.roomno.view());
    out.sparam2.set(message.sparam2.view());
    out.sparam3.set(sender.user.account.view());
    toRoom(*room, makeFrame(out), &sender);
}

}  // namespace ardentis::server::room_relay
