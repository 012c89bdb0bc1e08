#include <windows.h>

#include "ui/win32/win32_window.h"

#include "ui/win32/tray_mark.h"
#include "ui/win32/window_text.h"

namespace ardentis::win32 {

Win32Window::Win32Window(Dialog& dialog)
    : window_(dialog.handle()), registration_(dialog.routeClose([this] { requestClose(); })) {}

bool Win32Window::visible() const {
    return hasVisibleStyle(window_) || inTray(window_);
}

text::Gbk Win32Window::caption() const {
    return windowText(window_);
}

void Win32Window::setCaption(const text::Gbk& caption) {
    setWindowText(window_, caption);
}

forms::WindowSize Win32Window::size() const {
    RECT frame{};
    GetWindowRect(window_, &frame);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void Win32Window::setSize(forms::WindowSize size) {
    SetWindowPos(window_, nullptr, 0, 0, size.width, size.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::applyVisible(bool visible) {
    markInTray(window_, false);
    showWindow(window_, visible);
}

}  // namespace ardentis::win32
