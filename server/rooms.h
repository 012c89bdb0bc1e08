#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "protocol/lobby_message.h"
#include "server/member.h"
#include "server/roster.h"

namespace ardentis::server {

// The open rooms: creation, updates from the host, joining, leaving and closing.
// Every change goes to every user on line as a room update.
class Rooms {
  public:
    explicit Rooms(Roster& roster) : roster_(roster) {}

    // RoomUpdate: opens a room for a sender in no room, or takes an update from its host.
    void update(Member& sender, const protocol::LobbyMessage& message);
    // RoomJoin: the sender becomes a member, or gets the room back when it is full.
    void join(Member& sender, const protocol::LobbyMessage& message);
    // RoomLeave naming the sender's own room.
    void leaveRequest(Member& sender, const protocol::LobbyMessage& message);
    // The member leaves its room, if any; a host leaving closes the room.
    void leave(Member& member);
    [[nodiscard]] std::size_t size() const noexcept { return rooms_.size(); }
    // The rooms in the order they opened, for newcomers' lists; the latest one's number.
    [[nodiscard]] const std::map<std::uint64_t, Room*>& inOrder() const noexcept {
        return inOrder_;
    }
    [[nodiscard]] std::uint64_t latest() const noexcept { return latest_; }

  private:
    void close(Room& room);
    // The member list and the room, to a member who has just come (or come back).
    static void welcome(const Room& room, const Member& sender);
    void announce(Room& room) const;

    Roster& roster_;
    std::unordered_map<std::string, std::unique_ptr<Room>> rooms_;  // by room number
    std::map<std::uint64_t, Room*> inOrder_;
    std::uint64_t latest_ = 0;
};

}  // namespace ardentis::server
