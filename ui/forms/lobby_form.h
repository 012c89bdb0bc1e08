#pragma once

#include <cstdint>

#include "platform/os_error.h"
#include "protocol/lobby_message.h"
#include "text/gbk.h"
#include "ui/forms/main_controls.h"

namespace ardentis::forms {

class Client;

// The lobby window: the owner of the lobby connection, its chat and its two lists.
class TFormMain {
  public:
    // Wires the controls' and the socket's events to the handlers below.
    TFormMain(Client& client, MainControls controls);

    void FormCreate();
    void FormShow();
    [[nodiscard]] bool FormCloseQuery() const;
    void FormClose();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void MemSendKeyDown(int key);
    void lvroomsDblClick();
    void bsSkinLinkImage1Click();

    void clientsocket1Connect();
    void clientsocket1Disconnect();
    void clientsocket1Error(const platform::OsError& error);
    void clientsocket1Read();

    // A fresh connection state: new helper, channel, lobby model and mod table; the
    // settings reloaded; both lists emptied.
    void ResetLobbyState();

    // Points the lobby socket at the settings' host and port and opens it.
    void openSocket();

    MainControls c;
    // BitBtn4's tag: 1 refuses closing, 0 allows it.
    int closeGuard = 1;
    // Where the lobby socket was last pointed.
    text::Gbk socketHost;
    std::uint16_t socketPort = 8888;

  private:
    void userDisconnect();
    void connectionLost();

    Client& client_;
};

}  // namespace ardentis::forms
