#pragma once

#include "controls/button.h"
#include "controls/check_box.h"
#include "controls/drop_down.h"
#include "controls/edit.h"
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
    // Finding rooms and users: what the lists show, never what the lobby holds.
    DropDown& roomMod;     // 全部MOD, or one mod
    CheckBox& joinable;    // 只显示可加入的
    CheckBox& noPassword;  // 隐藏有密码的
    Edit& roomSearch;      // host, comment or map
    Edit& userSearch;      // account or nickname
};

}  // namespace ardentis::forms
