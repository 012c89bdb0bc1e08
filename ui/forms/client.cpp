#include "ui/forms/client.h"

namespace ardentis::forms {
namespace {

// The main window's controls with the arranged lists in place of the list views they show
// through: the lobby model and the window's logic work on the model's rows.
MainControls withArrangedLists(const MainControls& c, ListView& users, ListView& rooms) {
    return MainControls{c.window,     c.bsSkinLinkImage1, c.lver,      c.prompt,  c.vnnstatus,
                        c.BitBtn1,    c.BitBtn2,          c.BitBtn3,   c.BitBtn4, users,
                        rooms,        c.MemRecev,         c.MemSend,   c.roomMod, c.joinable,
                        c.noPassword, c.roomSearch,       c.userSearch};
}

}  // namespace

Client::Client(Services services_, MainControls main, LoginControls login,
               room::BattleroomControls battleroom, OptionsControls options_, SplashControls splash)
    : services(std::move(services_)),
      store(services.registry, services.files, services.infoBox),
      roomList(main.lvrooms),
      userList(main.lvlobby),
      FormMain(*this, withArrangedLists(main, userList, roomList)),
      FormLogin(*this, login),
      FormBattleroom(*this, battleroom),
      FormOptions(*this, options_),
      dispatcher(*this),
      splashControls(splash),
      notifications(services.desktop, services.loop, [this] {
          platform::SoundPlayer& sound = services.sound;
          // Without a thread to spare the notice goes without its sound.
          (void)workers.start([&sound] { sound.playToEnd("BB"); });
      }) {}

Client::~Client() {
    // Workers may still be sending through the connection; let them end first.
    workers.waitAll();
}

lobby::LobbyControls Client::lobbyControls() {
    return lobby::LobbyControls{FormMain.c.lvlobby, FormMain.c.lvrooms, FormMain.c.MemRecev,
                                FormMain.c.prompt,  FormMain.c.BitBtn2, FormOptions.c.rgvnntype,
                                FormLogin.c.usr};
}

void Client::renewConnection() {
    if (connection_) {
        connection_->roomContext.ended = true;
    }
    connection_ = std::make_shared<Connection>(
        services.log, services.infoBox, services.clientsocket1, services.channelFlags,
        services.sleeper, options, services.files, FormBattleroom.c, currentUser,
        services.gameRunning, lobbyControls(), FormBattleroom);
}

void Client::start() {
    FormMain.FormCreate();
    FormBattleroom.FormCreate();
    FormOptions.FormCreate();
    notifications.start();
}

}  // namespace ardentis::forms
