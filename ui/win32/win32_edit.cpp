#include <windows.h>

#include "ui/win32/win32_edit.h"

#include "ui/win32/sending_scope.h"
#include "ui/win32/window_text.h"

namespace ardentis::win32 {

Win32Edit::Win32Edit(Dialog& dialog, int controlId, EditEcho echo)
    : control_(dialog.item(controlId)),
      registration_(
          dialog.route(controlId, {.command = [this](int code) { handleCommand(code); }})) {
    if (echo == EditEcho::Masked) {
        SendMessageW(control_, EM_SETPASSWORDCHAR, L'*', 0);
    }
}

text::Gbk Win32Edit::text() const {
    return windowText(control_);
}

bool Win32Edit::enabled() const {
    return IsWindowEnabled(control_) != FALSE;
}

void Win32Edit::setEnabled(bool enabled) {
    EnableWindow(control_, enabled ? TRUE : FALSE);
}

void Win32Edit::applyText(const text::Gbk& text) {
    const SendingScope scope(sending_);
    setWindowText(control_, text);
}

void Win32Edit::handleCommand(int code) {
    if (code == EN_CHANGE && !sending_) {
        onChange();
    }
}

}  // namespace ardentis::win32
