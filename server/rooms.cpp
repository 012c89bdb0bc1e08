#include "server/rooms.h"

#include <algorithm>
#include <string>

#include "protocol/codec.h"
#include "protocol/message_kind.h"
#include "server/log.h"
#include "server/outgoing.h"
#include "server/room_relay.h"

namespace ardentis::server {
namespace {

namespace sub = protocol::subcommand;
using protocol::command::kRoom;

protocol::LobbyMessage memberMessage(std::int8_t subcommand, const Member& member,
                                     std::string_view roomno) {
    protocol::LobbyMessage out = userMessage(kRoom, subcommand, member.user);
    out.sparam9.set(roomno);
    return out;
}

}  // namespace

void Rooms::announce(Room& room) const {
    room.announcement = makeFrame(roomMessage(kRoom, sub::kRoomUpdate, room.record));
    roster_.broadcast(room.announcement);
}

void Rooms::update(Member& sender, const protocol::LobbyMessage& message) {
    protocol::RoomRecord incoming = protocol::DecodeRoom(message);
    std::string roomno(incoming.roomno.view());
    if (roomno.empty()) {
        return;
    }
    const auto it = rooms_.find(roomno);
    if (it == rooms_.end()) {
        if (sender.seatUnclaimed) {
            leave(sender);  // back after a drop and opening a room elsewhere: the old seat goes
        }
        if (sender.room != nullptr) {
            return;  // a user hosts or sits in one room at most
        }
        auto room = std::make_unique<Room>();
        incoming.host = sender.user.account;
        incoming.players = 1;
        room->record = incoming;
        room->host = &sender;
        room->members.push_back(&sender);
        sender.room = room.get();
        sender.user.location = incoming.roomno;
        Room& opened = *room;
        opened.order = ++latest_;
        inOrder_.emplace(opened.order, &opened);
        rooms_.emplace(std::move(roomno), std::move(room));
        log::line("room " + log::text(opened.record.roomno.view()) + " opened by " +
                  log::text(sender.user.account.view()));
        announce(opened);
        return;
    }
    Room& room = *it->second;
    if (room.host != &sender) {
        return;
    }
    if (sender.seatUnclaimed) {
        // The host is back: its client learns the members again as if they had just come.
        sender.seatUnclaimed = false;
        for (const Member* member : room.members) {
            if (member != &sender) {
                sender.deliver(makeFrame(memberMessage(sub::kRoomEnter, *member, roomno)));
            }
        }
    }
    incoming.host = room.record.host;
    incoming.players = room.record.players;
    room.record = incoming;
    announce(room);
}

void Rooms::join(Member& sender, const protocol::LobbyMessage& message) {
    const std::string wanted(message.sparam1.view());
    auto it = rooms_.find(wanted);
    if (it == rooms_.end()) {
        return;
    }
    if (sender.seatUnclaimed && sender.room == it->second.get() && it->second->host != &sender) {
        sender.seatUnclaimed = false;
        welcome(*it->second, sender);  // back in its seat: the others saw nothing change
        return;
    }
    if (sender.seatUnclaimed) {
        // Back after a drop and going elsewhere: the old seat goes. A host's room closes,
        // and that may be the very room named.
        leave(sender);
        it = rooms_.find(wanted);
        if (it == rooms_.end()) {
            return;
        }
    }
    Room& room = *it->second;
    if (sender.room != nullptr) {
        return;
    }
    if (room.record.players >= room.record.maxplayers) {
        sender.deliver(makeFrame(roomMessage(kRoom, sub::kRoomJoin, room.record)));
        return;
    }
    const std::string_view roomno = room.record.roomno.view();
    room.members.push_back(&sender);
    room.record.players = static_cast<std::int8_t>(room.record.players + 1);
    sender.room = &room;
    sender.user.location = room.record.roomno;

    // The others learn the joiner; the joiner learns every member, itself last.
    room_relay::toRoom(room, makeFrame(memberMessage(sub::kRoomEnter, sender, roomno)), &sender);
    room.announcement = makeFrame(roomMessage(kRoom, sub::kRoomUpdate, room.record));
    welcome(room, sender);
    roster_.broadcast(room.announcement, &sender);
}

void Rooms::welcome(const Room& room, const Member& sender) {
    const std::string_view roomno = room.record.roomno.view();
    for (const Member* member : room.members) {
        const std::int8_t kind = member == &sender ? sub::kRoomEnter : sub::kRoomMember;
        sender.deliver(makeFrame(memberMessage(kind, *member, roomno)));
    }
    sender.deliver(room.announcement);
}

void Rooms::leaveRequest(Member& sender, const protocol::LobbyMessage& message) {
    if (sender.room != nullptr && sender.room->record.roomno.view() == message.sparam1.view()) {
        leave(sender);
    }
}

void Rooms::leave(Member& member) {
    Room* room = member.room;
    if (room == nullptr) {
        return;
    }
    auto out = protocol::LobbyMessage{};
    out.setKind(kRoom, sub::kRoomLeave);
    out.sparam1.set(room->record.roomno.view());
    out.sparam2.set(member.user.account.view());
    room_relay::toRoom(*room, makeFrame(out), &member);
    if (room->host == &member) {
        close(*room);
        return;
    }
    std::erase(room->members, &member);
    room->record.players = static_cast<std::int8_t>(room->record.players - 1);
    member.room = nullptr;
    member.seatUnclaimed = false;
    member.user.location = text::Gbk(lobbyLocation());
    announce(*room);
}

void Rooms::close(Room& room) {
    for (Member* member : room.members) {
        member->room = nullptr;
        member->seatUnclaimed = false;
        member->user.location = text::Gbk(lobbyLocation());
    }
    log::line("room " + log::text(room.record.roomno.view()) + " closed");
    roster_.broadcast(makeFrame(roomMessage(kRoom, sub::kRoomClosed, room.record)));
    inOrder_.erase(room.order);
    rooms_.erase(std::string(room.record.roomno.view()));
}

}  // namespace ardentis::server
