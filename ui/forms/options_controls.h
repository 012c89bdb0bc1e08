#pragma once

#include "controls/button.h"
#include "controls/check_box.h"
#include "controls/drop_down.h"
#include "controls/edit.h"
#include "controls/label.h"
#include "controls/list_view.h"
#include "controls/page.h"
#include "controls/radio_group.h"
#include "controls/window.h"
#include "ui/forms/notify_controls.h"

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
    ListView& adapters;     // every adapter of the machine, the one in use marked
    DropDown& vnnaddr;      // the address used with "其他"
    Button& vnndetect;      // 自动检测
    Label& vnnfound;        // what 自动检测 found
    DropDown& language;     // 语言 / Language, from the next start
    NotifyControls notify;  // 提醒
};

}  // namespace ardentis::forms
