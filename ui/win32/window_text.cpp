#include <windows.h>

#include "ui/win32/window_text.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace ardentis::win32 {

text::Gbk windowText(HWND window) {
    return platform::wideToGbkLossy(wideWindowText(window));
}

std::wstring wideWindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, wide.data(), length + 1);
    wide.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return wide;
}

void setWindowText(HWND window, const text::Gbk& text) {
    const std::wstring wide = platform::gbkToWideLossy(text.view());
    SetWindowTextW(window, wide.c_str());
}

bool hasVisibleStyle(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void showWindow(HWND window, bool visible) {
    ShowWindow(window, visible ? SW_SHOW : SW_HIDE);
}

}  // namespace ardentis::win32
