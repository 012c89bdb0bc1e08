#include "lobby/lobby_model.h"

#include <algorithm>
#include <string>

#include "protocol/message_kind.h"
#include "text/literal.h"
#include "text/shown.h"

namespace ardentis::lobby {
namespace {

using protocol::LobbyMessage;
using protocol::RoomRecord;
using protocol::UserRecord;
using text::Gbk;
using text::shown;
using text::zh;

constexpr int kNicknameColumn = 1;
constexpr int kLocationColumn = 2;

Gbk decimal(int value) {
    return Gbk(std::to_string(value));
}

}  // namespace

tclobby::tclobby(LobbyControls controls, room::RoomContext& roomContext,
                 room::RoomWindow& roomWindow)
    : c_(controls), room_(roomContext), roomWindow_(roomWindow) {
    room_.sendself = [this] { sendself(); };
}

const Gbk& tclobby::ownAccount() const {
    return room_.currentUser.account.gbk();
}

Gbk tclobby::statusLine() const {
    return shown<"用户:">() + ownAccount() + shown<" 位置:">() + room_.currentUser.location.gbk();
}

std::optional<std::size_t> tclobby::roomIndex(const Gbk& roomno) const {
    for (std::size_t index = 0; index < rooms.size(); ++index) {
        if (rooms[index]->info.roomno.gbk() == roomno) {
            return index;
        }
    }
    return std::nullopt;
}

room::tcroom* tclobby::findRoom(const Gbk& roomno) const {
    const auto index = roomIndex(roomno);
    return index ? rooms[*index].get() : nullptr;
}

std::vector<Gbk> tclobby::roomColumns(const RoomRecord& room) const {
    const Gbk state = room.status.gbk() == Gbk("0") ? zh<"讨论中">() : zh<"战斗中">();
    const Gbk count = decimal(room.players) + Gbk("/") + decimal(room.maxplayers);
    const Gbk mark = room.password.empty() ? Gbk() : Gbk("******");
    // A program this client does not know (a newer client's) is named as such, never guessed.
    Gbk network = c_.rgvnntype.item(room.nettype);
    if (network.empty()) {
        network = zh<"未知">();
    }
    return {state, room.comment, room.modname, room.map, count, mark, room.host, network};
}

void tclobby::adduser(const UserRecord& user) {
    if (user.account.gbk() == c_.usr.text()) {
        room_.currentUser = user;
    }
    if (updateuser(user) >= 0) {
        return;
    }
    users.push_back(user);
    ++usercount;
    c_.lvlobby.addRow(user.account, {user.nickname, user.location});
}

void tclobby::announceMove(const UserRecord& old, const UserRecord& user) {
    const Gbk& lobby = zh<"大厅">();
    const Gbk newhost = roomhost(user.location);
    const Gbk oldhost = roomhost(old.location);
    const bool wasInLobby = old.location.gbk() == lobby;
    const Gbk& account = user.account.gbk();
    if (wasInLobby && newhost == account) {
        c_.MemRecev.addLine(zh<"游戏大厅>>">() + account + zh<"建立了的房间。">());
    } else if (!wasInLobby && ((user.location.gbk() == lobby && oldhost == old.account.gbk()) ||
                               (newhost == lobby && oldhost != old.account.gbk()))) {
        // Back from their own room, which closed, or from someone else's.
        c_.MemRecev.addLine(zh<"游戏大厅>>">() + account + zh<"返回游戏大厅。">());
    } else if (wasInLobby && newhost != lobby && newhost != account) {
        c_.MemRecev.addLine(zh<"游戏大厅>>">() + account + zh<"进入">() + newhost +
                            zh<"的房间。">());
    }
}

int tclobby::updateuser(const UserRecord& user) {
    const auto found = std::ranges::find_if(
        users, [&](const UserRecord& entry) { return entry.account.gbk() == user.account.gbk(); });
    if (found == users.end()) {
        return -1;
    }
    announceMove(*found, user);
    *found = user;
    const int rows = c_.lvlobby.rowCount();
    for (int row = 0; row < rows; ++row) {
        if (c_.lvlobby.caption(row) == user.account.gbk()) {
            c_.lvlobby.setSubItem(row, kNicknameColumn, user.nickname);
            c_.lvlobby.setSubItem(row, kLocationColumn, user.location);
        }
    }
    return static_cast<int>(found - users.begin());
}

void tclobby::deluser(const UserRecord& user) {
    const auto before = users.size();
    std::erase_if(
        users, [&](const UserRecord& entry) { return entry.account.gbk() == user.account.gbk(); });
    if (users.size() == before) {
        return;
    }
    usercount = static_cast<std::int32_t>(users.size());
    if (const auto row = c_.lvlobby.findCaption(user.account)) {
        c_.lvlobby.deleteRow(*row);
    }
    c_.MemRecev.addLine(zh<"游戏大厅>>">() + user.account.gbk() + zh<"离开大厅。">());
}

void tclobby::addroom(const RoomRecord& room) {
    if (updateroom(room)) {
        return;
    }
    auto made = std::make_unique<room::tcroom>(room::tcroom::create(room_));
    made->info = room;
    rooms.push_back(std::move(made));
    c_.lvrooms.addRow(room.roomno, roomColumns(room));
    ++roomcount;
}

bool tclobby::updateroom(const RoomRecord& room) {
    const auto index = roomIndex(room.roomno.gbk());
    if (!index) {
        return false;
    }
    rooms[*index]->info = room;
    if (myroom && myroom->info.roomno.gbk() == room.roomno.gbk()) {
        myroom->info = room;
    }
    const int row = static_cast<int>(*index);
    const auto columns = roomColumns(room);
    for (std::size_t column = 0; column < columns.size(); ++column) {
        c_.lvrooms.setSubItem(row, static_cast<int>(column) + 1, columns[column]);
    }
    // Only an update of the user's own room touches the battle room window; another room's
    // would otherwise clear the host's start button.
    if (myroom && myroom->info.roomno.gbk() == room.roomno.gbk()) {
        if (myroom->info.host.gbk() == ownAccount()) {
            roomWindow_.setcreatestatus();
            room_.window.CheckBox1.setChecked(true);
        } else {
            roomWindow_.setjoinstatus();
        }
        myroom->sendstate();
        if (room_.ended) {
            return true;
        }
        room_.currentUser.location = myroom->info.roomno.gbk();
        sendself();
    }
    return true;
}

void tclobby::enterroom(const Gbk& roomno, const UserRecord& user) {
    room::tcroom* listed = findRoom(roomno);
    if (listed == nullptr) {
        return;
    }
    if (!myroom) {
        myroom = std::make_unique<room::tcroom>(room::tcroom::create(room_));
    }
    myroom->info = listed->info;
    myroom->addplayer(user, true);
    room_.currentUser.location = listed->info.roomno.gbk();
    if (ownAccount() != listed->info.host.gbk()) {
        roomWindow_.setjoinstatus();
    }
    listed->addplayer(user, false);
    sendself();
    if (room_.ended) {
        return;
    }
    if (ownAccount() == listed->info.host.gbk()) {
        // The lobby's copy of our own room is only as new as the last room update, while
        // most option changes travel as options alone: applying it would undo them. The
        // newcomer gets the current options instead.
        if (user.account.gbk() != ownAccount()) {
            myroom->sendoptions();
        }
        return;
    }
    myroom->applyoptions(listed->info);
}

void tclobby::playerleft(const Gbk& roomno, const Gbk& account) {
    if (!myroom || myroom->info.roomno.gbk() != roomno) {
        return;
    }
    myroom->removeplayer(account, true);
    if (room::tcroom* listed = findRoom(roomno)) {
        listed->removeplayer(account, false);
        room_.currentUser.location = myroom->info.roomno.gbk();
        sendself();
    }
}

void tclobby::delroom(const RoomRecord& room) {
    const bool own = myroom && myroom->info.roomno.gbk() == room.roomno.gbk();
    if (own) {
        leaveroom();
        if (room_.ended) {
            return;
        }
    }
    // The list's rows are the rooms in order: the row goes by the room's position, so a
    // room number the list can't show faithfully still takes its own row with it.
    if (const auto index = roomIndex(room.roomno.gbk())) {
        const int row = static_cast<int>(*index);
        rooms.erase(rooms.begin() + static_cast<std::ptrdiff_t>(*index));
        --roomcount;
        if (row < c_.lvrooms.rowCount()) {
            c_.lvrooms.deleteRow(row);
        }
    }
    if (own) {
        room_.window.MemSend.clear();
        room_.window.MemRecev.clear();
        room_.window.lvRoom.clear();
        room_.window.window.hide();
        c_.BitBtn2.setEnabled(true);
    }
}

void tclobby::leaveroom() {
    if (myroom) {
        myroom->destroy();
        myroom.reset();
    }
}

void tclobby::createroom(const RoomRecord& room) {
    myroom =
        std::make_unique<room::tcroom>(room::tcroom::createwith(room_, room, room_.window.lvRoom));
    myroom->addplayer(room_.currentUser, true);
    LobbyMessage message{};
    message.setKind(protocol::command::kRoom, protocol::subcommand::kRoomUpdate);
    room_.base.EncodeRoom(room, message);
    room_.com.SendRecord(message);
    if (room_.ended) {
        return;
    }
    room_.currentUser.location = room.roomno.gbk();
    sendself();
    roomWindow_.setcreatestatus();
}

void tclobby::joinroom(const Gbk& roomno) {
    c_.BitBtn2.setEnabled(false);
    room_.window.window.show();
    room_.window.BitBtn1.setEnabled(false);
    room_.window.BitBtn2.setEnabled(true);
    LobbyMessage message{};
    message.setKind(protocol::command::kRoom, protocol::subcommand::kRoomJoin);
    message.sparam1.set(roomno);
    message.sparam2.set(ownAccount());
    room_.com.SendRecord(message);
}

LobbyMessage tclobby::chatRecord(const Gbk& line) const {
    LobbyMessage message{};
    message.setKind(protocol::command::kLobbyChat, protocol::subcommand::kLobbyChat);
    // The account and ">>" together keep at most 22 bytes, the whole line at most 100.
    message.sparam1.set((ownAccount() + Gbk(">>")).left(22) + line);
    return message;
}

void tclobby::sendchat(const Gbk& line) {
    room_.com.SendRecord(chatRecord(line));
}

void tclobby::sendself() {
    LobbyMessage message{};
    message.setKind(protocol::command::kUser, protocol::subcommand::kUserUpdate);
    room_.base.EncodeUser(room_.currentUser, message);
    room_.com.SendRecord(message);
    if (room_.ended) {
        return;
    }
    const auto row = c_.lvlobby.findCaption(ownAccount());
    if (!row) {
        return;
    }
    c_.lvlobby.setSubItem(*row, kNicknameColumn, room_.currentUser.nickname);
    c_.lvlobby.setSubItem(*row, kLocationColumn, room_.currentUser.location);
    c_.prompt.setCaption(statusLine());
    room_.window.prompt.setCaption(statusLine());
}

bool tclobby::checkpassword(const Gbk& password, const Gbk& roomno) const {
    return std::ranges::any_of(rooms, [&](const auto& entry) {
        return entry->info.roomno.gbk() == roomno &&
               (entry->info.password.gbk() == password || entry->info.password.empty());
    });
}

Gbk tclobby::roommod(const Gbk& roomno) const {
    const room::tcroom* found = findRoom(roomno);
    return found == nullptr ? Gbk() : found->info.modcode.gbk();
}

Gbk tclobby::roomhost(const Gbk& roomno) const {
    const room::tcroom* found = findRoom(roomno);
    return found == nullptr ? zh<"大厅">() : found->info.host.gbk();
}

}  // namespace ardentis::lobby
