#pragma once

#include "ui/forms/main_controls.h"
#include "ui/win32/dialog.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_check_box.h"
#include "ui/win32/win32_drop_down.h"
#include "ui/win32/win32_edit.h"
#include "ui/win32/win32_label.h"
#include "ui/win32/win32_list_view.h"
#include "ui/win32/win32_memo.h"
#include "ui/win32/win32_page.h"
#include "ui/win32/win32_tab_control.h"
#include "ui/win32/win32_window.h"

namespace ardentis::app {

// The lobby window (TFormMain) on its dialog resource: the banner, the version and user
// lines, the four buttons, the users and rooms lists and the lobby chat page. Made hidden
// and centred on the screen; the splash shows it.
class MainWindow {
  public:
    MainWindow();
    [[nodiscard]] forms::MainControls controls();

    win32::Dialog dialog;
    win32::Dialog chatDialog;  // the one tab page, 大厅
    win32::Win32Window window;
    win32::Win32Button bsSkinLinkImage1;
    win32::Win32Label lver;
    win32::Win32Label prompt;
    win32::Win32Label vnnstatus;
    win32::Win32Button BitBtn1;
    win32::Win32Button BitBtn2;
    win32::Win32Button BitBtn3;
    win32::Win32Button BitBtn4;
    win32::Win32ListView lvlobby;
    win32::Win32ListView lvrooms;
    win32::Win32TabControl PageControl2;
    win32::Win32Page TabSheet2;
    win32::Win32Memo MemRecev;
    win32::Win32Memo MemSend;
    win32::Win32DropDown roomMod;
    win32::Win32CheckBox joinable;
    win32::Win32CheckBox noPassword;
    win32::Win32Edit roomSearch;
    win32::Win32Edit userSearch;
};

}  // namespace ardentis::app
