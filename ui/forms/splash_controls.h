#pragma once

#include "controls/window.h"

namespace ardentis::forms {

// The splash window: one picture, closed by its timer.
struct SplashControls {
    Window& window;
};

}  // namespace ardentis::forms
