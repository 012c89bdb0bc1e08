#pragma once

#include "controls/check_box.h"
#include "controls/page.h"

namespace ardentis::forms {

// The options window's 提醒 page: a box per kind of event, the sound, and the tray.
struct NotifyControls {
    Page& page;
    CheckBox& comeAndGo;  // 有人进出房间
    CheckBox& roomFull;   // 房间满员
    CheckBox& allReady;   // 全部准备好
    CheckBox& gameStart;  // 游戏开始
    CheckBox& mention;    // 聊天中提到我
    CheckBox& sound;      // 播放提示音
    CheckBox& tray;       // 最小化到托盘
};

}  // namespace ardentis::forms
