#pragma once

#include "ui/forms/splash_controls.h"
#include "ui/win32/dialog.h"
#include "ui/win32/win32_window.h"

namespace ardentis::app {

// The splash (TFormslpash): a borderless, always-on-top picture centred on the screen.
class SplashWindow {
  public:
    explicit SplashWindow(HWND owner);
    [[nodiscard]] forms::SplashControls controls() { return forms::SplashControls{window}; }

    win32::Dialog dialog;
    win32::Win32Window window;
};

}  // namespace ardentis::app
