#pragma once

namespace ardentis::win32 {

// Registers the common control classes the wrappers use (list views, tabs, trackbars, the
// standard controls and the rich edit "RICHEDIT50W" of msftedit.dll); call once on the window
// thread before any dialog is made. Returns whether the system accepted the request.
bool initCommonControls();

}  // namespace ardentis::win32
