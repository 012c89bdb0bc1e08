#pragma once

#include "ui/forms/options_controls.h"
#include "ui/win32/dialog.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_check_box.h"
#include "ui/win32/win32_drop_down.h"
#include "ui/win32/win32_edit.h"
#include "ui/win32/win32_label.h"
#include "ui/win32/win32_list_view.h"
#include "ui/win32/win32_page.h"
#include "ui/win32/win32_radio_group.h"
#include "ui/win32/win32_tab_control.h"
#include "ui/win32/win32_window.h"

namespace ardentis::app {

// The options window (TFormOptions) on its dialog resources: six pages of settings with
// flat button tabs, OK and Cancel. Always on top, made hidden and centred on the lobby
// window; the account page is there only while the user is logged in.
class OptionsWindow {
  public:
    explicit OptionsWindow(HWND owner);
    [[nodiscard]] forms::OptionsControls controls();

  private:
    // The note's font, a point smaller so that each of its lines fits the page's width.
    // Declared before the dialog: it must outlive the note's window.
    win32::UniqueFont noteFont_;

  public:
    win32::Dialog dialog;
    win32::Dialog accountDialog;  // TabSheet2, 帐号
    win32::Dialog loginDialog;    // TabSheet1, 登录
    win32::Dialog networkDialog;  // TabSheet3, 网络
    win32::Dialog gameDialog;     // TabSheet4, 游戏
    win32::Dialog vnnDialog;      // TabSheet5, 虚拟网络
    win32::Dialog notifyDialog;   // 提醒
    win32::Win32Window window;
    win32::Win32TabControl PageControl1;
    win32::Win32Page TabSheet2;
    win32::Win32Page TabSheet1;
    win32::Win32Page TabSheet3;
    win32::Win32Page TabSheet4;
    win32::Win32Page TabSheet5;
    win32::Win32Edit pwd1;
    win32::Win32Edit pwd2;
    win32::Win32Edit pwd3;
    win32::Win32Edit nick;
    win32::Win32Edit usr;
    win32::Win32Edit pwd;
    win32::Win32CheckBox cbauto;
    win32::Win32Edit host;
    win32::Win32Edit port;
    win32::Win32Button BitBtn4;
    win32::Win32Edit TADir;
    win32::Win32Button BitBtn3;
    win32::Win32Edit SPCDir;
    win32::Win32Button bitbtnspcdir;
    win32::Win32CheckBox checkfile;
    win32::Win32RadioGroup rgvnntype;
    win32::Win32Button BitBtn1;
    win32::Win32Button BitBtn2;
    win32::Win32CheckBox tls;
    win32::Win32Edit tlsport;
    win32::Win32ListView adapters;
    win32::Win32DropDown vnnaddr;
    win32::Win32Button vnndetect;
    win32::Win32Label vnnfound;
    win32::Win32DropDown language;
    win32::Win32Page notifyPage;
    win32::Win32CheckBox comeAndGo;
    win32::Win32CheckBox roomFull;
    win32::Win32CheckBox allReady;
    win32::Win32CheckBox gameStart;
    win32::Win32CheckBox mention;
    win32::Win32CheckBox sound;
    win32::Win32CheckBox tray;
};

}  // namespace ardentis::app
