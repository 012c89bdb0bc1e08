#pragma once

#include "ui/win32/hwnd_fwd.h"

namespace ardentis::win32 {

// A window hidden to the tray icon is still shown as far as the program goes: a room the
// user put away is still the room they are in. The program hiding it meanwhile clears the
// mark, so that it does not come back with the others at the icon's click.
void markInTray(HWND window, bool inTray);
[[nodiscard]] bool inTray(HWND window);

}  // namespace ardentis::win32
