#include <windows.h>

#include "ui/win32/win32_label.h"

#include "ui/win32/window_text.h"

namespace ardentis::win32 {

Win32Label::Win32Label(Dialog& dialog, int controlId) : control_(dialog.item(controlId)) {
    SetWindowLongPtrW(control_, GWL_STYLE, GetWindowLongPtrW(control_, GWL_STYLE) | SS_NOPREFIX);
}

text::Gbk Win32Label::caption() const {
    return windowText(control_);
}

void Win32Label::setCaption(const text::Gbk& caption) {
    setWindowText(control_, caption);
}

}  // namespace ardentis::win32
