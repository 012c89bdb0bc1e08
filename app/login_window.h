#pragma once

#include "ui/forms/login_controls.h"
#include "ui/win32/dialog.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_edit.h"
#include "ui/win32/win32_window.h"

namespace ardentis::app {

// The log-in window (TFormLogin) on its dialog resource: account, masked password, OK and
// Cancel; always on top, centred on the lobby window.
class LoginWindow {
  public:
    explicit LoginWindow(HWND owner);
    [[nodiscard]] forms::LoginControls controls();

    win32::Dialog dialog;
    win32::Win32Window window;
    win32::Win32Edit usr;
    win32::Win32Edit pwd;
    win32::Win32Button BitBtn1;
    win32::Win32Button BitBtn2;
};

}  // namespace ardentis::app
