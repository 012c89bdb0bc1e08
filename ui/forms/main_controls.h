#pragma once

#include "ui/forms/controls/button.h"
#include "ui/forms/controls/label.h"
#include "ui/forms/controls/list_view.h"
#include "ui/forms/controls/memo.h"
#include "ui/forms/controls/window.h"

namespace ardentis::forms {

// The lobby window's controls by their names.
struct MainControls {
    Window& window;
    Button& bsSkinLinkImage1;  // the banner; a click opens the community site
    Label& lver;
    Label& prompt;
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
