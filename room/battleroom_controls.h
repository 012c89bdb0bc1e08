#pragma once

#include "ui/forms/controls/button.h"
#include "ui/forms/controls/check_box.h"
#include "ui/forms/controls/drop_down.h"
#include "ui/forms/controls/edit.h"
#include "ui/forms/controls/label.h"
#include "ui/forms/controls/list_view.h"
#include "ui/forms/controls/memo.h"
#include "ui/forms/controls/page.h"
#include "ui/forms/controls/radio_group.h"
#include "ui/forms/controls/slider.h"
#include "ui/forms/controls/window.h"

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
