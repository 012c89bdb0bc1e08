#include "ui/forms/record_dispatcher.h"

#include <string>
#include <string_view>
#include <vector>

#include "protocol/message_kind.h"
#include "text/literal.h"
#include "text/shown.h"
#include "ui/forms/client.h"

namespace ardentis::forms {
namespace {

using protocol::LobbyMessage;
using text::Gbk;
using text::shown;
using text::zh;

namespace sub = protocol::subcommand;

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
            client_.FormMain.c.MemRecev.addLine(message.sparam1.text());
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
        case sub::kRoomMember:
            lobby.enterroom(message.sparam9.text(), base.DecodeUser(message));
            break;
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
        case sub::kRoomLeave:
            lobby.playerleft(message.sparam1.text(), message.sparam2.text());
            break;
        case sub::kRoomOptions: {
            const protocol::RoomRecord room = base.DecodeRoom(message);
            if (myroom != nullptr && client_.currentUser.account.gbk() != room.host.gbk()) {
                myroom->applyoptions(room);
            }
            break;
        }
        case sub::kPlayerState:
            if (inRoom(message.sparam1.text())) {
                myroom->setplayerstate(message.iparam1.get(), message.sparam2.text());
            }
            break;
        case sub::kGameStart:
            if (inRoom(message.sparam1.text()) &&
                myroom->info.host.gbk() != client_.currentUser.account.gbk()) {
                client_.options.hostip = message.sparam2.text();
                client_.FormBattleroom.BitBtn2Click();
            }
            break;
        default:
            break;
    }
}

void RecordDispatcher::roomChat(const Gbk& line) {
    client_.FormBattleroom.c.MemRecev.addLine(line);
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

}  // namespace ardentis::forms
