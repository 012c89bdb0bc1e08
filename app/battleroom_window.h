#pragma once

#include "room/battleroom_controls.h"
#include "ui/win32/dialog.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_check_box.h"
#include "ui/win32/win32_drop_down.h"
#include "ui/win32/win32_edit.h"
#include "ui/win32/win32_label.h"
#include "ui/win32/win32_list_view.h"
#include "ui/win32/win32_memo.h"
#include "ui/win32/win32_page.h"
#include "ui/win32/win32_radio_group.h"
#include "ui/win32/win32_slider.h"
#include "ui/win32/win32_tab_control.h"
#include "ui/win32/win32_window.h"

namespace ardentis::app {

// The battle room window (TFormBattleroom) on its dialog resources: banner, map and mini
// map, players, the three option pages, chat and the button row. Always on top, made
// hidden and centred on the lobby window.
class BattleroomWindow {
  public:
    explicit BattleroomWindow(HWND owner);
    [[nodiscard]] room::BattleroomControls controls();

    win32::Dialog dialog;
    win32::Dialog basicDialog;    // 基本设置
    win32::Dialog optionsDialog;  // 选项
    win32::Dialog manageDialog;   // 房间管理
    win32::Win32Window window;
    win32::Win32Button banner;  // opens the community site; the application wires it
    win32::Win32DropDown MapList;
    win32::Win32ListView lvRoom;
    win32::Win32TabControl Pageoptions;
    win32::Win32Page basicPage;
    win32::Win32Page optionsPage;
    win32::Win32Page managePage;
    win32::Win32DropDown mods;
    win32::Win32Slider Trackplayers;
    win32::Win32Label lplayers;
    win32::Win32Slider Trackulimited;
    win32::Win32Label llimited;
    win32::Win32Edit pwd;
    win32::Win32Memo gamecomments;
    win32::Win32RadioGroup RGcommander;
    win32::Win32RadioGroup rglos;
    win32::Win32RadioGroup RGcheat;
    win32::Win32RadioGroup RGMapmode;
    win32::Win32RadioGroup rgwatch;
    win32::Win32RadioGroup rgpos;
    win32::Win32Slider Trackmetal;
    win32::Win32Label Lmetal;
    win32::Win32Slider Trackenergy;
    win32::Win32Label Lenergy;
    win32::Win32Button BitBtn4;
    win32::Win32Button BitBtn1;
    win32::Win32Button BitBtn2;
    win32::Win32CheckBox CheckBox1;
    win32::Win32Button BitBtn3;
    win32::Win32Label prompt;
    win32::Win32Button Button1;
    win32::Win32Memo MemRecev;
    win32::Win32Memo MemSend;
};

}  // namespace ardentis::app
