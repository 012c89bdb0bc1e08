#pragma once

#include <memory>

#include "protocol/user_record.h"
#include "room/battleroom_controls.h"
#include "settings/options_store.h"
#include "settings/settings_record.h"
#include "ui/forms/arranged_list_view.h"
#include "ui/forms/battle_room_form.h"
#include "ui/forms/chat_workers.h"
#include "ui/forms/connection.h"
#include "ui/forms/lobby_form.h"
#include "ui/forms/login_controls.h"
#include "ui/forms/login_form.h"
#include "ui/forms/main_controls.h"
#include "ui/forms/notifications.h"
#include "ui/forms/options_controls.h"
#include "ui/forms/options_form.h"
#include "ui/forms/record_dispatcher.h"
#include "ui/forms/services.h"
#include "ui/forms/splash_controls.h"
#include "ui/forms/splash_form.h"

namespace ardentis::forms {

// The whole client over a set of controls: the four windows, the settings, the current
// user and the connection state. The windows reach each other and the shared state
// through it, as one program's windows do.
class Client {
  public:
    Client(Services services, MainControls main, LoginControls login,
           room::BattleroomControls battleroom, OptionsControls options, SplashControls splash);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Program start: the four windows are created in order; the lobby window's creation
    // loads the settings and shows the splash, whose timer then shows the lobby window.
    void start();

    // The current connection state, to be held for the length of a handler.
    [[nodiscard]] std::shared_ptr<Connection> connection() const { return connection_; }
    // Replaces the connection state (the lobby window's reset).
    void renewConnection();

    // The lobby model's controls of the other windows.
    [[nodiscard]] lobby::LobbyControls lobbyControls();

    Services services;
    settings::Toptions options;
    protocol::UserRecord currentUser;
    settings::OptionsStore store;
    // The action of the most recently started chat worker.
    TClientDataThread::Action workerAction = TClientDataThread::Action::LobbyChat;

    // The lobby's lists as the user arranged them, over the main window's list views.
    ArrangedListView roomList;
    ArrangedListView userList;
    forms::TFormMain FormMain;
    forms::TFormLogin FormLogin;
    forms::TFormBattleroom FormBattleroom;
    forms::TFormOptions FormOptions;
    RecordDispatcher dispatcher;
    SplashControls splashControls;
    std::unique_ptr<forms::TFormslpash>
        Formslpash;  // from the lobby window's creation to its timer
    TClientDataThread workers;
    Notifications notifications;

  private:
    std::shared_ptr<Connection> connection_;
};

}  // namespace ardentis::forms
