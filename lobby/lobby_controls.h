#pragma once

#include "ui/forms/controls/button.h"
#include "ui/forms/controls/edit.h"
#include "ui/forms/controls/label.h"
#include "ui/forms/controls/list_view.h"
#include "ui/forms/controls/memo.h"
#include "ui/forms/controls/radio_group.h"

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
