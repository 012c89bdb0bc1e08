#include "ui/forms/record_dispatcher.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/message_kind.h"
#include "text/literal.h"
#include "text/shown.h"
#include "ui/forms/chat_mention.h"
#include "ui/forms/client.h"

namespace ardentis::forms {
namespace {

using protocol::LobbyMessage;
using text::Gbk;
using text::shown;
using text::zh;

namespace sub = protocol::subcommand;
using Event = Notifications::Event;

constexpr int kMarkColumn = 2;  // the players list's ready mark

bool has(const std::vector<Gbk>& players, const Gbk& account) {
    return std::ranges::find(players, account) != players.end();
}

}  // namespace

RecordDispatcher::RecordDispatcher(Client& client) : client_(client) {}

void RecordDispatcher::DispatchRecord(const LobbyMessage& message) {
    const auto connection = client_.connection();
    const protocol::TcBaseFunctions& base = connection->base;
    switch (message.command) {
        case protocol::command::kLogin:
            if (message.signedSubcommand() == sub::kLoginOk) {
                loginAccepted(message);
            } else if (message.signedSubcommand() == sub::kLoginBad) {
                client_.FormMain.refused();
                client_.FormLogin.c.window.show();
                client_.FormLogin.c.BitBtn1.setEnabled(true);
                base.ShowInfo(shown<"帐号密码不对，登录失败!">());
                client_.services.clientsocket1.close();
                client_.FormOptions.c.TabSheet2.setVisible(false);
            } else if (message.signedSubcommand() == sub::kLoginDup) {
                client_.FormMain.refused();
                base.ShowInfo(client_.FormLogin.c.usr.text() + shown<"已经在线，不能重复登录!">());
                client_.FormLogin.c.window.show();
                client_.FormLogin.c.BitBtn1.setEnabled(true);
                client_.services.clientsocket1.close();
                client_.FormOptions.c.TabSheet2.setVisible(false);
            }
            break;
        case protocol::command::kLobbyChat:
            chatLine(client_.FormMain.c.MemRecev, message.sparam1.text());
            break;
        case protocol::command::kUser:
            if (message.signedSubcommand() == sub::kUserUpdate) {
                connection->lobby.adduser(base.DecodeUser(message));
            } else {
                connection->lobby.deluser(base.DecodeUser(message));
            }
            break;
        case protocol::command::kRoom:
            dispatchRoomRecord(message);
            break;
        default:
            break;  // logged by the receive step, otherwise ignored
    }
}

void RecordDispatcher::loginAccepted(const LobbyMessage& message) {
    const auto connection = client_.connection();
    MainControls& c = client_.FormMain.c;
    c.BitBtn2.setEnabled(true);
    c.BitBtn1.setCaption(shown<"断开">());
    c.BitBtn1.setEnabled(true);
    client_.currentUser = connection->base.DecodeUser(message);
    const Gbk account = client_.FormLogin.c.usr.text();
    c.prompt.setCaption(shown<"用户:">() + account + shown<" 位置:">() + zh<"大厅">());
    (void)client_.store.saveLogin(account, client_.FormLogin.c.pwd.text());
    client_.FormOptions.c.TabSheet2.setVisible(true);
    client_.FormOptions.c.nick.setText(client_.currentUser.nickname);
    client_.FormMain.keepResumeToken(message);
    client_.FormMain.loggedIn();
}

void RecordDispatcher::dispatchRoomRecord(const LobbyMessage& message) {
    const auto connection = client_.connection();
    const protocol::TcBaseFunctions& base = connection->base;
    lobby::tclobby& lobby = connection->lobby;
    room::tcroom* myroom = lobby.myroom.get();
    const auto inRoom = [&](const Gbk& roomno) {
        return myroom != nullptr && myroom->info.roomno.gbk() == roomno;
    };
    switch (message.signedSubcommand()) {
        case sub::kRoomUpdate: {
            const protocol::RoomRecord room = base.DecodeRoom(message);
            lobby.addroom(room);
            client_.FormMain.roomListed(room);
            break;
        }
        case sub::kRoomEnter:
        case sub::kRoomMember: {
            const std::vector<Gbk> before = roomPlayers();
            const protocol::UserRecord user = base.DecodeUser(message);
            lobby.enterroom(message.sparam9.text(), user);
            if (!connection->roomContext.ended) {
                playerCame(before, user.account.gbk());
            }
            break;
        }
        case sub::kRoomChat:
            if (inRoom(message.sparam2.text())) {
                roomChat(message.sparam1.text());
            }
            break;
        case sub::kRoomClosed:
            lobby.delroom(base.DecodeRoom(message));
            break;
        case sub::kRoomJoin:
            base.ShowInfo(shown<"房间">() + base.DecodeRoom(message).host.gbk() +
                          shown<"的房间人数已满,不能进入!">());
            break;
        case sub::kRoomLeave: {
            const std::vector<Gbk> before = roomPlayers();
            lobby.playerleft(message.sparam1.text(), message.sparam2.text());
            if (!connection->roomContext.ended) {
                playerLeft(before, message.sparam2.text());
            }
            break;
        }
        case sub::kRoomOptions: {
            const protocol::RoomRecord room = base.DecodeRoom(message);
            if (myroom != nullptr && client_.currentUser.account.gbk() != room.host.gbk()) {
                myroom->applyoptions(room);
            }
            break;
        }
        case sub::kPlayerState:
            if (inRoom(message.sparam1.text())) {
                const bool wasReady = shownReady(message.sparam2.text());
                myroom->setplayerstate(message.iparam1.get(), message.sparam2.text());
                if (!connection->roomContext.ended) {
                    playerReady(wasReady, message.sparam2.text());
                }
            }
            break;
        case sub::kGameStart:
            if (inRoom(message.sparam1.text()) &&
                myroom->info.host.gbk() != client_.currentUser.account.gbk()) {
                client_.options.hostip = message.sparam2.text();
                client_.notifications.tell(Event::GameStart, myroom->info.host.gbk());
                client_.FormBattleroom.BitBtn2Click();
            }
            break;
        default:
            break;
    }
}

void RecordDispatcher::roomChat(const Gbk& line) {
    chatLine(client_.FormBattleroom.c.MemRecev, line);
    if (line.startsWith(zh<"作战指挥室>>">()) && line.contains(zh<"开始进入战场">())) {
        client_.FormBattleroom.c.CheckBox1.setEnabled(false);
    }
    std::string upper = line.bytes();
    for (char& ch : upper) {
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    std::vector<std::string_view> sounds;
    if (upper.find("!BB") != std::string::npos) {
        client_.workerAction = TClientDataThread::Action::SoundBB;
        sounds.emplace_back("BB");
    }
    if (upper.find("!WARNING") != std::string::npos) {
        client_.workerAction = TClientDataThread::Action::SoundWarning;
        sounds.emplace_back("WARNING");
    }
    if (sounds.empty()) {
        return;
    }
    // One worker plays a line's sounds one after the other: a sound started while another
    // plays cuts that one off.
    platform::SoundPlayer& sound = client_.services.sound;
    // Without a thread to spare the line is shown silently rather than blocking the window.
    (void)client_.workers.start([&sound, sounds] {
        for (const std::string_view name : sounds) {
            sound.playToEnd(name);
        }
    });
}

void RecordDispatcher::chatLine(Memo& view, const Gbk& line) {
    const protocol::UserRecord& user = client_.currentUser;
    // A line that names the user stands out in the chat and is told while the client is behind.
    if (mentionsUser(line, user.account.gbk(), user.nickname.gbk())) {
        view.addLine(line, LineMark::Highlight);
        client_.notifications.tell(Event::Mention, line);
    } else {
        view.addLine(line);
    }
}

std::vector<Gbk> RecordDispatcher::roomPlayers() const {
    const auto connection = client_.connection();
    std::vector<Gbk> players;
    if (const room::tcroom* room = connection->lobby.myroom.get()) {
        for (const protocol::UserRecord& player : room->playerlist) {
            players.push_back(player.account.gbk());
        }
    }
    if (!has(players, client_.currentUser.account.gbk())) {
        players.clear();  // the user's own joining: the members it learns were there before
    }
    return players;
}

void RecordDispatcher::playerCame(const std::vector<Gbk>& before, const Gbk& account) {
    const std::vector<Gbk> after = roomPlayers();
    if (before.empty() || has(before, account) || !has(after, account)) {
        return;
    }
    client_.notifications.tell(Event::PlayerCame, account);
    const int seats = client_.connection()->lobby.myroom->info.maxplayers;
    if (std::cmp_equal(after.size(), seats)) {  // the last seat taken
        client_.notifications.tell(Event::RoomFull);
    }
}

void RecordDispatcher::playerLeft(const std::vector<Gbk>& before, const Gbk& account) {
    if (has(before, account) && !has(roomPlayers(), account) &&
        account != client_.currentUser.account.gbk()) {
        client_.notifications.tell(Event::PlayerLeft, account);
    }
}

bool RecordDispatcher::shownReady(const Gbk& account) const {
    const ListView& players = client_.FormBattleroom.c.lvRoom;
    const auto row = players.findCaption(account);
    return row && players.subItem(*row, kMarkColumn) == room::tcroom::stateMark(0);
}

void RecordDispatcher::playerReady(bool wasReady, const Gbk& account) {
    if (wasReady || !shownReady(account) || !client_.FormBattleroom.userIsHost()) {
        return;
    }
    // Every player, at least two of them, as the host's start button asks.
    const ListView& players = client_.FormBattleroom.c.lvRoom;
    for (int row = 0; row < players.rowCount(); ++row) {
        if (!shownReady(players.caption(row))) {
            return;
        }
    }
    if (players.rowCount() >= 2) {
        client_.notifications.tell(Event::AllReady);
    }
}

}  // namespace ardentis::forms
