#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "tests/win32_ui/ui_test_support.h"

#include "tests/win32_ui/test_resource.h"
#include "ui/win32/common_controls.h"
#include "ui/win32/window_text.h"

namespace ardentis::testing {

int controlsTemplate() {
    win32::initCommonControls();
    return IDD_CONTROLS;
}

std::wstring wideText(HWND window) {
    return win32::wideWindowText(window);
}

void sendCommand(HWND control, int code) {
    SendMessageW(GetParent(control), WM_COMMAND,
                 MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), static_cast<WORD>(code)),
                 reinterpret_cast<LPARAM>(control));
}

void sendItemNotify(HWND control, unsigned code, int item) {
    NMITEMACTIVATE notify{};
    notify.hdr.hwndFrom = control;
    notify.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    notify.hdr.code = code;
    notify.iItem = item;
    SendMessageW(GetParent(control), WM_NOTIFY, notify.hdr.idFrom,
                 reinterpret_cast<LPARAM>(&notify));
}

HWND findShown(unsigned long thread, const wchar_t* caption) {
    std::pair<const wchar_t*, HWND> found{caption, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM lParam) {
            auto& [wanted, shown] = *reinterpret_cast<std::pair<const wchar_t*, HWND>*>(lParam);
            if (wideText(window) == wanted && IsWindowVisible(window) != FALSE) {
                shown = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.second;
}

void runPending() {
    MSG message{};
    // Bounded: a control that keeps posting must not hold the test.
    for (int i = 0; i < 10000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE; ++i) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void showDialog(const win32::Dialog& dialog) {
    ShowWindow(dialog.handle(), SW_SHOWNOACTIVATE);
    runPending();
}

}  // namespace ardentis::testing
