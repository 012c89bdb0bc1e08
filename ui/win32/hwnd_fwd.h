#pragma once

// Window types for headers that must name them without <windows.h>: the same incomplete
// types <windows.h> declares (STRICT), so the two agree wherever both are seen.
// The names are <windows.h>'s own, reserved or not: NOLINTBEGIN(bugprone-reserved-identifier)
struct HWND__;
using HWND = HWND__*;
struct HFONT__;
// NOLINTEND(bugprone-reserved-identifier)
using HFONT = HFONT__*;
struct tagNMHDR;
