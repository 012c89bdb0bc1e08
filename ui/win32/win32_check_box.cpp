#include <windows.h>

#include "ui/win32/win32_check_box.h"

#include <stdexcept>
#include <string>

#include "ui/win32/sending_scope.h"
#include "ui/win32/window_text.h"

namespace ardentis::win32 {

Win32CheckBox::Win32CheckBox(Dialog& dialog, int controlId)
    : control_(dialog.item(controlId)),
      registration_(
          dialog.route(controlId, {.command = [this](int code) { handleCommand(code); }})) {
    if ((GetWindowLongPtrW(control_, GWL_STYLE) & BS_TYPEMASK) != BS_AUTOCHECKBOX) {
        throw std::invalid_argument("check box " + std::to_string(controlId) +
                                    " is not a BS_AUTOCHECKBOX");
    }
}

bool Win32CheckBox::checked() const {
    return SendMessageW(control_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Win32CheckBox::enabled() const {
    return IsWindowEnabled(control_) != FALSE;
}

void Win32CheckBox::setEnabled(bool enabled) {
    EnableWindow(control_, enabled ? TRUE : FALSE);
}

bool Win32CheckBox::visible() const {
    return hasVisibleStyle(control_);
}

void Win32CheckBox::setVisible(bool visible) {
    showWindow(control_, visible);
}

text::Gbk Win32CheckBox::caption() const {
    return windowText(control_);
}

void Win32CheckBox::applyChecked(bool checked) {
    const SendingScope scope(sending_);
    SendMessageW(control_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32CheckBox::handleCommand(int code) {
    if (code == BN_CLICKED && !sending_) {
        onClick();
    }
}

}  // namespace ardentis::win32
