#pragma once

#include "controls/button.h"
#include "controls/check_box.h"
#include "controls/drop_down.h"
#include "controls/edit.h"
#include "controls/label.h"
#include "controls/list_view.h"
#include "controls/memo.h"
#include "controls/page.h"
#include "controls/radio_group.h"
#include "controls/slider.h"
#include "controls/window.h"

namespace ardentis::room {

// The battle room window's controls by their names. The room model reads and writes them
// directly; the window's own logic wires their handlers.
struct BattleroomControls {
    forms::Window& window;
    forms::DropDown& MapList;
    forms::ListView& lvRoom;
    forms::Page& basicPage;
    forms::Page& optionsPage;
    forms::Page& managePage;
    forms::DropDown& mods;
    forms::Slider& Trackplayers;
    forms::Label& lplayers;
    forms::Slider& Trackulimited;
    forms::Label& llimited;
    forms::Edit& pwd;
    forms::Memo& gamecomments;
    forms::RadioGroup& RGcommander;
    forms::RadioGroup& rglos;
    forms::RadioGroup& RGcheat;
    forms::RadioGroup& RGMapmode;
    forms::RadioGroup& rgwatch;
    forms::RadioGroup& rgpos;
    forms::Slider& Trackmetal;
    forms::Label& Lmetal;
    forms::Slider& Trackenergy;
    forms::Label& Lenergy;
    forms::Button& BitBtn4;
    forms::Button& BitBtn1;
    forms::Button& BitBtn2;
    forms::CheckBox& CheckBox1;
    forms::Button& BitBtn3;
    forms::Label& prompt;
    forms::Button& Button1;
    forms::Memo& MemRecev;
    forms::Memo& MemSend;
};

}  // namespace ardentis::room
