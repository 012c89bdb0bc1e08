#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "controls/handler.h"
#include "text/code_page.h"
#include "text/gbk.h"
#include "ui/win32/dialog.h"
#include "ui/win32/hwnd_fwd.h"

namespace ardentis::testing {

// GBK from a UTF-8 literal.
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

// What the window holds, read with the W API.
[[nodiscard]] std::wstring wideText(HWND window);
// A notification as the control sends it to its dialog.
void sendCommand(HWND control, int code);
void sendItemNotify(HWND control, unsigned code, int item);
// The shown top-level window of that thread with that caption, or null.
[[nodiscard]] HWND findShown(unsigned long thread, const wchar_t* caption);
// Runs the messages already queued for this thread.
void runPending();
// The controls dialog of the tests' resources, once the common controls are registered.
[[nodiscard]] int controlsTemplate();
void showDialog(const win32::Dialog& dialog);

// The controls dialog, shown; each test wraps what it needs.
class ControlsDialogTest : public ::testing::Test {
  protected:
    ControlsDialogTest() { showDialog(dialog); }
    [[nodiscard]] HWND item(int controlId) const { return dialog.item(controlId); }

    win32::Dialog dialog{controlsTemplate()};
};

}  // namespace ardentis::testing
