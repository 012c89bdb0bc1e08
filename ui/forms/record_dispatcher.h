#pragma once

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

    Client& client_;  // borrowed; owns this dispatcher
};

}  // namespace ardentis::forms
