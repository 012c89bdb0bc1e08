#include "room/room_model.h"

#include <algorithm>

#include "protocol/message_kind.h"
#include "text/literal.h"

namespace ardentis::room {
namespace {

using protocol::LobbyMessage;
using text::Gbk;
using text::zh;

constexpr int kMarkColumn = 2;

LobbyMessage roomMessage(std::int8_t subcommand) {
    LobbyMessage message{};
    message.setKind(protocol::command::kRoom, subcommand);
    return message;
}

}  // namespace

tcroom tcroom::create(RoomContext& context) {
    return {context, context.window.lvRoom};
}

tcroom tcroom::createwith(RoomContext& context, const protocol::RoomRecord& room,
                          forms::ListView& view) {
    tcroom made(context, view);
    made.info = room;
    return made;
}

const Gbk& tcroom::ownAccount() const {
    return context_->currentUser.account.gbk();
}

bool tcroom::ownAccountIsHost() const {
    return ownAccount() == info.host.gbk();
}

const Gbk& tcroom::stateMark(std::int32_t state) {
    if (state == 0) {
        return zh<"就绪">();
    }
    if (state == -1) {
        return zh<"战斗">();
    }
    return zh<"等待">();
}

void tcroom::destroy() {
    LobbyMessage message = roomMessage(protocol::subcommand::kRoomLeave);
    message.sparam1.set(info.roomno.gbk());
    message.sparam2.set(ownAccount());
    context_->com.SendRecord(message);
    if (context_->ended) {
        return;
    }
    context_->currentUser.location = zh<"大厅">();
    if (context_->sendself) {
        context_->sendself();
    }
}

void tcroom::addplayer(const protocol::UserRecord& user, bool shown) {
    if (!hasplayer(user)) {
        playerlist.push_back(user);
        ++playercount;
        if (shown) {
            showmessage(zh<"作战指挥室>>">() + user.account.gbk() + zh<"进入作战指挥室。">());
            // The host's list shows every newcomer ready until his own state arrives; a
            // joiner's list shows the host ready and the others waiting.
            const bool ready =
                ownAccount() == info.host.gbk() || info.host.gbk() == user.account.gbk();
            view->addRow(user.account, {user.nickname, ready ? zh<"就绪">() : zh<"等待">()});
            context_->window.BitBtn2.setEnabled(false);
        }
    }
    checkstart();
}

void tcroom::removeplayer(const Gbk& account, bool shown) {
    const auto before = playerlist.size();
    std::erase_if(playerlist, [&](const protocol::UserRecord& player) {
        return player.account.gbk() == account;
    });
    if (playerlist.size() < before) {
        --playercount;
        info.players = static_cast<std::int8_t>(info.players - 1);
        if (shown) {
            showmessage(zh<"作战指挥室>>">() + account + zh<"离开作战指挥室。">());
            if (const auto row = view->findCaption(account)) {
                view->deleteRow(*row);
            }
        }
    }
    checkstart();
}

bool tcroom::hasplayer(const protocol::UserRecord& user) const {
    return std::ranges::any_of(playerlist, [&](const protocol::UserRecord& player) {
        return player.account.gbk() == user.account.gbk();
    });
}

void tcroom::setplayerstate(std::int32_t state, const Gbk& account) {
    if (const auto row = view->findCaption(account)) {
        view->setSubItem(*row, kMarkColumn, stateMark(state));
    }
    checkstart();
    reopenAfterBattle();
}

void tcroom::reopenAfterBattle() {
    // A host back from the battle before the others leaves the room in battle for them; the
    // last of them to come back opens it again, or it would stay closed to newcomers for good.
    if (!ownAccountIsHost() || info.status.gbk() != Gbk("1") ||
        (context_->gameRunning && context_->gameRunning())) {
        return;
    }
    for (int row = 0; row < view->rowCount(); ++row) {
        if (view->subItem(row, kMarkColumn) == zh<"战斗">()) {
            return;
        }
    }
    info.status = Gbk("0");
    sendroom();
}

void tcroom::checkstart() {
    if (!ownAccountIsHost()) {
        return;
    }
    const int total = view->rowCount();
    int ready = 0;
    int battle = 0;
    for (int row = 0; row < total; ++row) {
        const Gbk mark = view->subItem(row, kMarkColumn);
        if (mark == zh<"就绪">()) {
            ++ready;
        } else if (mark == zh<"战斗">()) {
            ++battle;
        }
    }
    context_->window.BitBtn2.setEnabled(ready == total && total >= 2 && battle == 0);
}

protocol::RoomRecord tcroom::collectoptions() const {
    const BattleroomControls& w = context_->window;
    protocol::RoomRecord room;
    room.host = info.host;
    room.roomno = info.roomno;
    room.comment = w.gamecomments.text();
    room.map = w.MapList.text();
    room.status = info.status;
    room.modname = w.mods.text();
    room.modcode = context_->mods.GetCodeByName(w.mods.text());
    room.password = w.pwd.text();
    room.roomref = info.roomno.gbk();
    room.maxplayers = static_cast<std::int8_t>(w.Trackplayers.position());
    room.players = info.players;
    room.commander = static_cast<std::int8_t>(w.RGcommander.itemIndex() + 1);
    room.los = static_cast<std::int8_t>(w.rglos.itemIndex() + 1);
    room.watch = static_cast<std::int8_t>(w.rgwatch.itemIndex() + 1);
    room.cheat = static_cast<std::int8_t>(w.RGcheat.itemIndex() + 1);
    room.mapmode = static_cast<std::int8_t>(w.RGMapmode.itemIndex() + 1);
    room.startpos = static_cast<std::int8_t>(w.rgpos.itemIndex() + 1);
    room.unitlimit = static_cast<std::int8_t>(w.Trackulimited.position());
    room.metal = static_cast<std::int8_t>(w.Trackmetal.position());
    room.energy = static_cast<std::int8_t>(w.Trackenergy.position());
    room.nettype = info.nettype;
    return room;
}

void tcroom::applyoptions(const protocol::RoomRecord& room) {
    BattleroomControls& w = context_->window;
    info.host = room.host;
    w.gamecomments.setText(room.comment);

    mapok = false;
    for (int index = 0; index < w.MapList.count(); ++index) {
        if (text::equalsIgnoringAsciiCase(w.MapList.item(index), room.map)) {
            w.MapList.setItemIndex(index);
            mapok = true;
            break;
        }
    }
    if (!mapok) {
        sendnotice(ownAccount() + zh<"没有">() + room.map.gbk() + zh<"这个地图。">());
        // A player without the map is never left marked ready.
        w.CheckBox1.setChecked(false);
        sendstate();
        if (context_->ended) {
            return;
        }
        checkstart();
    }

    info.status = room.status;
    info.modcode = room.modcode;
    info.modname = room.modname;
    const Gbk modName = context_->mods.GetNameByCode(room.modcode);
    for (int index = 0; index < w.mods.count(); ++index) {
        if (w.mods.item(index) == modName) {
            w.mods.setItemIndex(index);
        }
    }
    w.pwd.setText(room.password);
    w.Trackplayers.setPosition(room.maxplayers);
    info.players = room.players;
    w.RGcommander.setItemIndex(room.commander - 1);
    w.rglos.setItemIndex(room.los - 1);
    w.rgwatch.setItemIndex(room.watch - 1);
    w.RGcheat.setItemIndex(room.cheat - 1);
    w.RGMapmode.setItemIndex(room.mapmode - 1);
    w.rgpos.setItemIndex(room.startpos - 1);
    w.Trackulimited.setPosition(room.unitlimit);
    w.Trackmetal.setPosition(room.metal);
    w.Trackenergy.setPosition(room.energy);
}

void tcroom::sendroom() {
    LobbyMessage message = roomMessage(protocol::subcommand::kRoomUpdate);
    context_->base.EncodeRoom(info, message);
    context_->com.SendRecord(message);
}

void tcroom::sendoptions() {
    if (!ownAccountIsHost()) {
        return;
    }
    info = collectoptions();
    LobbyMessage message = roomMessage(protocol::subcommand::kRoomOptions);
    context_->base.EncodeRoom(info, message);
    context_->com.SendRecord(message);
}

int tcroom::readyState() const {
    if (!context_->window.CheckBox1.checked()) {
        return 1;
    }
    return context_->gameRunning && context_->gameRunning() ? -1 : 0;
}

void tcroom::sendstate() {
    const int state = readyState();
    if (const auto row = view->findCaption(ownAccount())) {
        view->setSubItem(*row, kMarkColumn, stateMark(state));
    }
    LobbyMessage message = roomMessage(protocol::subcommand::kPlayerState);
    message.sparam1.set(info.roomno.gbk());
    message.sparam2.set(ownAccount());
    message.iparam1.set(state);
    context_->com.SendRecord(message);
}

LobbyMessage tcroom::chatRecord(const Gbk& line) const {
    LobbyMessage message = roomMessage(protocol::subcommand::kRoomChat);
    message.sparam1.set(ownAccount() + Gbk(">>") + line);
    message.sparam2.set(info.roomno.gbk());
    message.sparam3.set(ownAccount());
    return message;
}

void tcroom::sendchat(const Gbk& line) {
    context_->com.SendRecord(chatRecord(line));
}

void tcroom::sendnotice(const Gbk& line) {
    LobbyMessage message = roomMessage(protocol::subcommand::kRoomChat);
    message.sparam1.set(zh<"作战指挥室>>">() + line);
    message.sparam2.set(info.roomno.gbk());
    message.sparam3.set(ownAccount());
    context_->com.SendRecord(message);
}

void tcroom::showmessage(const Gbk& line) {
    context_->window.MemRecev.addLine(line);
}

}  // namespace ardentis::room
