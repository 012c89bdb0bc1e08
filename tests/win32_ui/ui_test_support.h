#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "controls/handler.h"
#include "tests/win32_ui/test_resource.h"
#include "text/code_page.h"
#include "ui/win32/common_controls.h"
#include "ui/win32/dialog.h"
#include "ui/win32/window_text.h"

namespace ardentis::testing {

[[nodiscard]] inline text::Gbk g(std::string_view utf8) {
    return text::gbk(utf8);
}

// Counts the runs of the handlers it is wired to.
struct Runs {
    int count = 0;
    void wire(forms::Handler& handler) {
        handler.set([this] { ++count; });
    }
};

// The shown top-level window of that thread with that caption, or null.
[[nodiscard]] inline HWND findShown(DWORD thread, const wchar_t* caption) {
    std::pair<const wchar_t*, HWND> found{caption, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM lParam) {
            auto& [wanted, shown] = *reinterpret_cast<std::pair<const wchar_t*, HWND>*>(lParam);
            if (win32::wideWindowText(window) == wanted && IsWindowVisible(window) != FALSE) {
                shown = window;
            }
            return shown == nullptr ? TRUE : FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.second;
}

// Runs the messages already queued for this thread; bounded, as a control may keep posting.
inline void runPending() {
    MSG message{};
    for (int i = 0; i < 10000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE; ++i) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The controls dialog of the tests' resources, shown, once the common controls are registered.
[[nodiscard]] inline int controlsTemplate() {
    win32::initCommonControls();
    return IDD_CONTROLS;
}
inline void showDialog(const win32::Dialog& dialog) {
    ShowWindow(dialog.handle(), SW_SHOWNOACTIVATE);
    runPending();
}
class ControlsDialogTest : public ::testing::Test {
  protected:
    ControlsDialogTest() { showDialog(dialog); }
    win32::Dialog dialog{controlsTemplate()};
};

}  // namespace ardentis::testing
