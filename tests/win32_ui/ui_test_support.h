#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string_view>

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

// Runs the messages already queued for this thread; bounded, as a control may keep posting.
inline void runPending() {
    MSG message{};
    for (int i = 0; i < 10000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE; ++i) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The controls dialog of the tests' resources, once the common controls are registered.
[[nodiscard]] inline int controlsTemplate() {
    win32::initCommonControls();
    return IDD_CONTROLS;
}
inline void showDialog(const win32::Dialog& dialog) {
    ShowWindow(dialog.handle(), SW_SHOWNOACTIVATE);
    runPending();
}
// The controls dialog, shown.
struct ControlsDialogTest : ::testing::Test {
    ControlsDialogTest() { showDialog(dialog); }
    win32::Dialog dialog{controlsTemplate()};
};

}  // namespace ardentis::testing
