#pragma once

#include "controls/button.h"
#include "controls/label.h"
#include "controls/list_view.h"
#include "controls/memo.h"
#include "controls/window.h"

namespace ardentis::forms {

// The lobby window's controls by their names.
struct MainControls {
    Window& window;
    Button& bsSkinLinkImage1;  // the banner; a click opens the community site
    Label& lver;
    Label& prompt;
    Label& vnnstatus;  // the virtual-LAN address in use
    Button& BitBtn1;
    Button& BitBtn2;
    Button& BitBtn3;
    Button& BitBtn4;
    ListView& lvlobby;
    ListView& lvrooms;
    Memo& MemRecev;
    Memo& MemSend;
};

}  // namespace ardentis::forms
