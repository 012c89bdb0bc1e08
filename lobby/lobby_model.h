#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "lobby/lobby_controls.h"
#include "protocol/lobby_message.h"
#include "protocol/room_record.h"
#include "protocol/user_record.h"
#include "room/room_context.h"
#include "room/room_model.h"
#include "room/room_window.h"
#include "text/gbk.h"

namespace ardentis::lobby {

// The client's picture of the lobby: the users on line, the open rooms and the room the
// user is in. It writes straight into the windows' lists; one exists per connection.
class tclobby {
  public:
    // All borrowed. The room context must outlive the model; its sendself is wired here.
    tclobby(LobbyControls controls, room::RoomContext& roomContext, room::RoomWindow& roomWindow);
    tclobby(const tclobby&) = delete;
    tclobby& operator=(const tclobby&) = delete;

    // Received records.
    void adduser(const protocol::UserRecord& user);
    void deluser(const protocol::UserRecord& user);
    void addroom(const protocol::RoomRecord& room);
    void enterroom(const text::Gbk& roomno, const protocol::UserRecord& user);
    void delroom(const protocol::RoomRecord& room);
    void playerleft(const text::Gbk& roomno, const text::Gbk& account);

    // The user's own actions.
    void sendchat(const text::Gbk& line);
    // The lobby chat record of sendchat, built on the window thread for a chat worker.
    [[nodiscard]] protocol::LobbyMessage chatRecord(const text::Gbk& line) const;
    void createroom(const protocol::RoomRecord& room);
    void joinroom(const text::Gbk& roomno);
    void leaveroom();
    [[nodiscard]] bool checkpassword(const text::Gbk& password, const text::Gbk& roomno) const;
    [[nodiscard]] text::Gbk roommod(const text::Gbk& roomno) const;

    // Used by the model itself and the room model.
    int updateuser(const protocol::UserRecord& user);
    bool updateroom(const protocol::RoomRecord& room);
    [[nodiscard]] text::Gbk roomhost(const text::Gbk& roomno) const;
    void sendself();

    std::int32_t usercount = 0;
    std::int32_t roomcount = 0;
    std::vector<protocol::UserRecord> users;
    std::vector<std::unique_ptr<room::tcroom>> rooms;
    std::unique_ptr<room::tcroom> myroom;

  private:
    // The room's position in `rooms`, which is also its row in the room list.
    [[nodiscard]] std::optional<std::size_t> roomIndex(const text::Gbk& roomno) const;
    [[nodiscard]] room::tcroom* findRoom(const text::Gbk& roomno) const;
    [[nodiscard]] std::vector<text::Gbk> roomColumns(const protocol::RoomRecord& room) const;
    [[nodiscard]] const text::Gbk& ownAccount() const;
    [[nodiscard]] text::Gbk statusLine() const;
    void announceMove(const protocol::UserRecord& old, const protocol::UserRecord& user);

    LobbyControls c_;
    room::RoomContext& room_;
    room::RoomWindow& roomWindow_;
};

}  // namespace ardentis::lobby
