#pragma once

#include <string>

#include "text/gbk.h"
#include "ui/win32/hwnd_fwd.h"

namespace ardentis::win32 {

// A window's text through the W API, converted at the edge (code page 936). Text a window
// cannot show or GBK cannot hold is replaced rather than lost as a whole.
[[nodiscard]] text::Gbk windowText(HWND window);
void setWindowText(HWND window, const text::Gbk& text);
// The text as the window holds it, in UTF-16.
[[nodiscard]] std::wstring wideWindowText(HWND window);

// The window's own WS_VISIBLE flag: true for a shown control on a hidden dialog.
[[nodiscard]] bool hasVisibleStyle(HWND window);
void showWindow(HWND window, bool visible);

}  // namespace ardentis::win32
