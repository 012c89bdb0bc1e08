#pragma once

#include "controls/memory/memory_button.h"
#include "controls/memory/memory_check_box.h"
#include "controls/memory/memory_drop_down.h"
#include "controls/memory/memory_edit.h"
#include "controls/memory/memory_label.h"
#include "controls/memory/memory_list_view.h"
#include "controls/memory/memory_memo.h"
#include "controls/memory/memory_page.h"
#include "controls/memory/memory_radio_group.h"
#include "controls/memory/memory_slider.h"
#include "controls/memory/memory_window.h"
#include "room/battleroom_controls.h"
#include "ui/forms/login_controls.h"
#include "ui/forms/main_controls.h"
#include "ui/forms/options_controls.h"
#include "ui/forms/splash_controls.h"

namespace ardentis::forms {

// The windows of a headless client: every control in memory, with the texts, items,
// ranges and defaults the real windows have.
struct MemoryMainWindow {
    MemoryWindow window;
    MemoryButton bsSkinLinkImage1;
    MemoryLabel lver;
    MemoryLabel prompt;
    MemoryLabel vnnstatus;
    MemoryButton BitBtn1;
    MemoryButton BitBtn2;
    MemoryButton BitBtn3;
    MemoryButton BitBtn4;
    MemoryListView lvlobby;
    MemoryListView lvrooms;
    MemoryMemo MemRecev;
    MemoryMemo MemSend;
    MemoryDropDown roomMod;
    MemoryCheckBox joinable;
    MemoryCheckBox noPassword;
    MemoryEdit roomSearch;
    MemoryEdit userSearch;

    MemoryMainWindow();
    MainControls controls();
};

struct MemoryLoginWindow {
    MemoryWindow window;
    MemoryEdit usr;
    MemoryEdit pwd;
    MemoryButton BitBtn1;
    MemoryButton BitBtn2;

    MemoryLoginWindow();
    LoginControls controls();
};

struct MemoryBattleroomWindow {
    MemoryWindow window;
    MemoryDropDown MapList;
    MemoryListView lvRoom;
    MemoryPage basicPage;
    MemoryPage optionsPage;
    MemoryPage managePage;
    MemoryDropDown mods;
    MemorySlider Trackplayers;
    MemoryLabel lplayers;
    MemorySlider Trackulimited;
    MemoryLabel llimited;
    MemoryEdit pwd;
    MemoryMemo gamecomments;
    MemoryRadioGroup RGcommander;
    MemoryRadioGroup rglos;
    MemoryRadioGroup RGcheat;
    MemoryRadioGroup RGMapmode;
    MemoryRadioGroup rgwatch;
    MemoryRadioGroup rgpos;
    MemorySlider Trackmetal;
    MemoryLabel Lmetal;
    MemorySlider Trackenergy;
    MemoryLabel Lenergy;
    MemoryButton BitBtn4;
    MemoryButton BitBtn1;
    MemoryButton BitBtn2;
    MemoryCheckBox CheckBox1;
    MemoryButton BitBtn3;
    MemoryLabel prompt;
    MemoryButton Button1;
    MemoryMemo MemRecev;
    MemoryMemo MemSend;

    MemoryBattleroomWindow();
    room::BattleroomControls controls();
};

struct MemoryOptionsWindow {
    MemoryWindow window;
    MemoryPage TabSheet2{false};
    MemoryPage TabSheet1;
    MemoryPage TabSheet3;
    MemoryPage TabSheet4;
    MemoryPage TabSheet5;
    MemoryEdit pwd1;
    MemoryEdit pwd2;
    MemoryEdit pwd3;
    MemoryEdit nick;
    MemoryEdit usr;
    MemoryEdit pwd;
    MemoryCheckBox cbauto;
    MemoryEdit host;
    MemoryEdit port;
    MemoryButton BitBtn4;
    MemoryEdit TADir;
    MemoryButton BitBtn3;
    MemoryEdit SPCDir;
    MemoryButton bitbtnspcdir;
    MemoryCheckBox checkfile;
    MemoryRadioGroup rgvnntype;
    MemoryButton BitBtn1;
    MemoryButton BitBtn2;
    MemoryCheckBox tls;
    MemoryEdit tlsport;
    MemoryListView adapters;
    MemoryDropDown vnnaddr;
    MemoryButton vnndetect;
    MemoryLabel vnnfound;
    MemoryDropDown language;
    MemoryPage notifyPage;
    MemoryCheckBox comeAndGo;
    MemoryCheckBox roomFull;
    MemoryCheckBox allReady;
    MemoryCheckBox gameStart;
    MemoryCheckBox mention;
    MemoryCheckBox sound;
    MemoryCheckBox tray;

    MemoryOptionsWindow();
    OptionsControls controls();
};

struct MemorySplashWindow {
    MemoryWindow window;
    SplashControls controls() { return SplashControls{window}; }
};

}  // namespace ardentis::forms
