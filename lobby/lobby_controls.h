#pragma once

#include "controls/button.h"
#include "controls/edit.h"
#include "controls/label.h"
#include "controls/list_view.h"
#include "controls/memo.h"
#include "controls/radio_group.h"

namespace ardentis::lobby {

// The controls of the other windows that the lobby model keeps in step with its lists.
struct LobbyControls {
    forms::ListView& lvlobby;      // main window: users
    forms::ListView& lvrooms;      // main window: rooms
    forms::Memo& MemRecev;         // main window: lobby chat
    forms::Label& prompt;          // main window: the user's status line
    forms::Button& BitBtn2;        // main window: 指挥室
    forms::RadioGroup& rgvnntype;  // options window: names of the virtual-LAN programs
    forms::Edit& usr;              // log-in window: the account typed
};

}  // namespace ardentis::lobby
