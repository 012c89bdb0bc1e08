#include <windows.h>

#include <commctrl.h>

#include "ui/win32/win32_slider.h"

#include "ui/win32/sending_scope.h"

namespace ardentis::win32 {

Win32Slider::Win32Slider(Dialog& dialog, int controlId, int minimum, int maximum, int position)
    : control_(dialog.item(controlId)),
      registration_(dialog.route(controlId, {.scroll = [this](int code) { handleScroll(code); }})) {
    const SendingScope scope(sending_);
    SendMessageW(control_, TBM_SETRANGEMIN, FALSE, minimum);
    SendMessageW(control_, TBM_SETRANGEMAX, FALSE, maximum);
    SendMessageW(control_, TBM_SETPOS, TRUE, position);
    reported_ = this->position();
}

int Win32Slider::minimum() const {
    return static_cast<int>(SendMessageW(control_, TBM_GETRANGEMIN, 0, 0));
}

int Win32Slider::maximum() const {
    return static_cast<int>(SendMessageW(control_, TBM_GETRANGEMAX, 0, 0));
}

int Win32Slider::position() const {
    return static_cast<int>(SendMessageW(control_, TBM_GETPOS, 0, 0));
}

bool Win32Slider::enabled() const {
    return IsWindowEnabled(control_) != FALSE;
}

void Win32Slider::setEnabled(bool enabled) {
    EnableWindow(control_, enabled ? TRUE : FALSE);
}

void Win32Slider::applyPosition(int position) {
    const SendingScope scope(sending_);
    SendMessageW(control_, TBM_SETPOS, TRUE, position);
    reported_ = this->position();
}

void Win32Slider::handleScroll(int /*code*/) {
    if (sending_) {
        return;
    }
    const int now = position();
    if (now != reported_) {
        reported_ = now;
        onChange();
    }
}

}  // namespace ardentis::win32
