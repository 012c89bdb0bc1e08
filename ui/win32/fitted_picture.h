#pragma once

#include "ui/win32/hwnd_fwd.h"

namespace ardentis::win32 {

// Makes the picture of an SS_BITMAP static fill it at any DPI. The control takes the picture's
// own size, read as pixels at 96 DPI, scaled to its DPI (again after a DPI change), and shows
// the picture smoothly stretched to its client area whenever that area changes size: once per
// size, never per paint. At 96 DPI the control shows the picture it was made with, untouched.
// Clicks, cursor and the rest of the control stay as they are. Does nothing to a static that
// holds no bitmap.
void fitPicture(HWND control);

}  // namespace ardentis::win32
