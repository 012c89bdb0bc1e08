#pragma once

#include "controls/button.h"
#include "controls/check_box.h"
#include "controls/edit.h"
#include "controls/page.h"
#include "controls/radio_group.h"
#include "controls/window.h"

namespace ardentis::forms {

// The options window's controls by their names.
struct OptionsControls {
    Window& window;
    Page& TabSheet2;  // 帐号
    Page& TabSheet1;  // 登录
    Page& TabSheet3;  // 网络
    Page& TabSheet4;  // 游戏
    Page& TabSheet5;  // 虚拟网络
    Edit& pwd1;
    Edit& pwd2;
    Edit& pwd3;
    Edit& nick;
    Edit& usr;
    Edit& pwd;
    CheckBox& cbauto;
    Edit& host;
    Edit& port;
    Button& BitBtn4;  // 测试
    Edit& TADir;
    Button& BitBtn3;  // browse for the TA directory
    Edit& SPCDir;
    Button& bitbtnspcdir;
    CheckBox& checkfile;
    RadioGroup& rgvnntype;
    Button& BitBtn1;  // 确定
    Button& BitBtn2;  // 取消
    CheckBox& tls;    // 加密连接
    Edit& tlsport;
};

}  // namespace ardentis::forms
