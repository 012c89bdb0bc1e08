#pragma once

// Window types for headers that must name them without <windows.h>: the same incomplete
// types <windows.h> declares (STRICT), so the two agree wherever both are seen.
struct HWND__;
using HWND = HWND__*;
struct HFONT__;
using HFONT = HFONT__*;
struct tagNMHDR;
