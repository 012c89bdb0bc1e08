#include <windows.h>

#include "ui/win32/win32_button.h"

#include "ui/win32/window_text.h"

namespace ardentis::win32 {

Win32Button::Win32Button(Dialog& dialog, int controlId)
    : control_(dialog.item(controlId)),
      registration_(
          dialog.route(controlId, {.command = [this](int code) { handleCommand(code); }})) {}

text::Gbk Win32Button::caption() const {
    return windowText(control_);
}

void Win32Button::setCaption(const text::Gbk& caption) {
    setWindowText(control_, caption);
}

bool Win32Button::enabled() const {
    return IsWindowEnabled(control_) != FALSE;
}

void Win32Button::setEnabled(bool enabled) {
    EnableWindow(control_, enabled ? TRUE : FALSE);
}

bool Win32Button::visible() const {
    return hasVisibleStyle(control_);
}

void Win32Button::setVisible(bool visible) {
    showWindow(control_, visible);
}

void Win32Button::handleCommand(int code) {
    // Enter or Esc in a dialog sends the command of a default button even when hidden.
    if (code == BN_CLICKED && enabled() && visible()) {
        onClick();
    }
}

}  // namespace ardentis::win32
