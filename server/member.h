#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol/room_record.h"
#include "protocol/user_record.h"
#include "server/frame.h"
#include "server/peer.h"

namespace ardentis::server {

struct Room;

// How far a newcomer's copy of the lists has got: users and rooms in the order they came, up
// to the last one there when the newcomer logged in (it hears of later ones as they come).
struct ListCursor {
    std::uint64_t nextUser = 1;
    std::uint64_t lastUser = 0;
    std::uint64_t nextRoom = 1;
    std::uint64_t lastRoom = 0;

    [[nodiscard]] bool done() const noexcept { return nextUser > lastUser && nextRoom > lastRoom; }
};

// A logged-in user. The record's password is always empty; its account is the one the
// session logged in with and never changes.
struct Member {
    // Records for a member whose connection dropped go nowhere.
    void deliver(const Frame& frame) const {
        if (peer != nullptr) {
            peer->deliver(frame);
        }
    }

    Peer* peer = nullptr;  // the connection; nullptr while the seat waits for the user's return
    protocol::UserRecord user;
    Room* room = nullptr;            // borrowed from Rooms; the room the user hosts or sits in
    std::size_t slot = 0;            // position in the roster's broadcast list
    protocol::UserRecord announced;  // the record everyone was last sent
    Frame announcement;              // that record as a UserUpdate, shared with newcomers
    // Back after a drop but not yet back in the room it still has a seat in.
    bool seatUnclaimed = false;
    std::uint64_t graceTicket = 0;  // tells a pending grace expiry whether it is still meant
    std::uint64_t order = 0;        // when it came, among the users on line
    ListCursor lists;               // what of the lists its connection still has to get
};

// An open room. Its record's host and players are the server's, never a client's.
struct Room {
    protocol::RoomRecord record;
    Member* host = nullptr;        // borrowed from the roster
    std::vector<Member*> members;  // host first, then joiners in order of arrival
    Frame announcement;            // the last RoomUpdate everyone got, shared with newcomers
    std::uint64_t order = 0;       // when it opened, among the open rooms
};

}  // namespace ardentis::server
