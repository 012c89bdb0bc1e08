#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/event_loop.h"
#include "platform/os_error.h"
#include "platform/tls_engine.h"
#include "protocol/lobby_message.h"
#include "protocol/room_record.h"
#include "text/gbk.h"
#include "ui/forms/main_controls.h"
#include "ui/forms/reconnect_backoff.h"
#include "ui/forms/room_finder.h"

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
    // Shows which virtual-LAN address the chosen program gives now, or that it gives none.
    void showVnnStatus();
    // The lists arranged anew after the user changed how; `keep` stores the choices.
    void arrangeLists(bool keep);

    void clientsocket1Connect();
    void clientsocket1Disconnect();
    void clientsocket1Error(const platform::OsError& error);
    void clientsocket1Read();

    // A fresh connection state: new helper, channel, lobby model and mod table; the
    // settings reloaded; both lists emptied.
    void ResetLobbyState();

    // Points the lobby socket at the settings' host and port and opens it.
    void openSocket();

    // The server took the log-in; after a drop, the user hears that the lobby is back.
    void loggedIn();
    // No more tries to reconnect: the server refused the log-in, or the user disconnected.
    void stopReconnecting();
    // The server refused this client, or took its user away for another log-in: the end of
    // the connection that follows is no drop to come back from.
    void refused();
    [[nodiscard]] bool reconnecting() const noexcept { return reconnecting_; }
    // What the server handed this log-in to come back with, without the password's slow check.
    void keepResumeToken(const protocol::LobbyMessage& loginOk);
    // A room in the lists. Back after a drop, the room the user was in is the way back: the
    // host takes it up again, a member joins it again, and the server's held seat lets both in.
    void roomListed(const protocol::RoomRecord& room);

    MainControls c;
    // BitBtn4's tag: 1 refuses closing, 0 allows it.
    int closeGuard = 1;
    // Where the lobby socket was last pointed.
    text::Gbk socketHost;
    std::uint16_t socketPort = 8888;

  private:
    void userDisconnect();
    void connectionLost();
    void scheduleRetry();
    void retryTick();
    void giveUpRoom();
    // Whether to go on with the server a TLS handshake met: a certificate the system vouches
    // for, or the one the user accepted before; an unknown one is shown and asked about once.
    [[nodiscard]] bool judgeServer(const platform::TlsPeer& peer);

    Client& client_;
    // After a drop of a logged-in connection: the tries to get back, until one logs in, the
    // server refuses the account, or the user says stop (断开).
    bool reconnecting_ = false;
    bool refused_ = false;
    ReconnectBackoff backoff_;
    std::unique_ptr<platform::Timer> retryTimer_;  // ticks the countdown while a try waits
    std::chrono::milliseconds retryAt_{};          // on the loop's clock
    // The latest resumption token, only for the account and server that gave it; kept in
    // memory alone, so that it never outlives the program.
    struct ResumeToken {
        text::Gbk account;
        text::Gbk host;
        std::uint16_t port = 0;
        std::string first;  // its two halves, as the records carry them
        std::string second;
    };
    ResumeToken token_;
    // The room the user was in when the connection dropped, until the lists show it again.
    struct RoomReturn {
        text::Gbk roomno;
        bool host = false;
    };
    std::optional<RoomReturn> roomReturn_;
    std::unique_ptr<platform::Timer> returnTimer_;  // the room is gone unless listed by then
    std::unique_ptr<platform::Timer> vnnTimer_;     // keeps the virtual-LAN status current
    FinderChoices finder_;
    // Offers a mod in the room filter's list once, whether installed or only seen in a room.
    void offerMod(const text::Gbk& name);
    void wireFinder();
};

}  // namespace ardentis::forms
