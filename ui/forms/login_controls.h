#pragma once

#include "controls/button.h"
#include "controls/edit.h"
#include "controls/window.h"

namespace ardentis::forms {

// The log-in window's controls by their names.
struct LoginControls {
    Window& window;
    Edit& usr;
    Edit& pwd;
    Button& BitBtn1;
    Button& BitBtn2;
};

}  // namespace ardentis::forms
