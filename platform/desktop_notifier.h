#pragma once

#include "text/gbk.h"

namespace ardentis::platform {

// The desktop's ways to catch the user's eye while the client is behind other programs:
// the taskbar button, a tray icon with its balloons, and hiding the windows to that icon.
// Called on the window thread.
class DesktopNotifier {
  public:
    virtual ~DesktopNotifier() = default;

    // Whether one of the client's windows is the foreground window.
    [[nodiscard]] virtual bool inFront() const = 0;
    // Flashes the taskbar button of the client window the user last used, until it comes
    // to the front.
    virtual void flash() = 0;
    // A balloon from the tray icon, which is added first if it is not there. Returns
    // whether the shell took it.
    virtual bool balloon(const text::Gbk& title, const text::Gbk& text) = 0;
    // Adds or removes the tray icon. Returns whether the shell did.
    virtual bool showTrayIcon(bool shown) = 0;
    // While on, minimising a client window hides the client's windows to the tray icon
    // and a click on the icon brings them back.
    virtual void minimiseToTray(bool on) = 0;
};

}  // namespace ardentis::platform
