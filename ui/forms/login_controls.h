#pragma once

#include "ui/forms/controls/button.h"
#include "ui/forms/controls/edit.h"
#include "ui/forms/controls/window.h"

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
