#pragma once

#include <vector>

#include "controls/memo.h"
#include "protocol/lobby_message.h"
#include "text/gbk.h"

namespace ardentis::forms {

class Client;

// Routes every received record by its two command bytes to the models it changes: the
// log-in answers, lobby chat, users and rooms, the current room's options, states, chat
// and the start record. The lobby window only handles its own events.
class RecordDispatcher {
  public:
    explicit RecordDispatcher(Client& client);

    void DispatchRecord(const protocol::LobbyMessage& message);

  private:
    void loginAccepted(const protocol::LobbyMessage& message);
    void dispatchRoomRecord(const protocol::LobbyMessage& message);
    void roomChat(const text::Gbk& line);

    // Adds a chat line to its view; one naming the user stands out and is told of.
    void chatLine(Memo& view, const text::Gbk& line);

    // What the user hears of while the client is behind other programs:
    // the players of the user's room while the user is among them, else none.
    [[nodiscard]] std::vector<text::Gbk> roomPlayers() const;
    void playerCame(const std::vector<text::Gbk>& before, const text::Gbk& account);
    void playerLeft(const std::vector<text::Gbk>& before, const text::Gbk& account);
    void playerReady(bool wasReady, const text::Gbk& account);
    [[nodiscard]] bool shownReady(const text::Gbk& account) const;

    Client& client_;  // borrowed; owns this dispatcher
};

}  // namespace ardentis::forms
