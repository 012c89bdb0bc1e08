#pragma once

#include <cstdint>
#include <initializer_list>

#include "ui/win32/dialog_font.h"
#include "ui/win32/hwnd_fwd.h"

namespace ardentis::app {

// Placement and looks the dialog templates cannot express: exact client sizes in pixels
// (at 96 DPI, scaled to the window's DPI), centring, a coloured static text, and the input
// method and mask of edit boxes.

// Gives the window a client area of `width` x `height` pixels at 96 DPI, scaled to its DPI.
void setClientSize(HWND window, int width, int height);
// Sets the window's height to `height` pixels at 96 DPI, scaled to its DPI, keeping its
// place and width.
void setHeight(HWND window, int height);
// Lays each page over the tab control's display area, now that all its tabs are there (the
// area depends on the tab row).
void layPagesOver(HWND tabs, std::initializer_list<HWND> pages);
// Centres the window on `over` (shown or not), or on the work area of its monitor when
// `over` is null.
void centre(HWND window, HWND over = nullptr);
// Draws the text of the dialog's static control `controlId` in `rgb` (0x00BBGGRR).
void colourStaticText(HWND dialog, int controlId, std::uint32_t rgb);
// Makes the window show the hand cursor, as a link does.
void showHandCursor(HWND window);
// Puts the input focus into `control` whenever its dialog becomes the active window.
void focusOnActivate(HWND dialog, HWND control);
// Gives the window the program's icon.
void setProgramIcon(HWND window);
// The same face as `base`, `pixels` high at 96 DPI, scaled to `dpi`.
[[nodiscard]] win32::UniqueFont smallerFont(HFONT base, int pixels, unsigned dpi);
// Closes the input method for the box (it can be opened again), or takes it away.
void closeInputMethod(HWND edit);
void disableInputMethod(HWND edit);

}  // namespace ardentis::app
