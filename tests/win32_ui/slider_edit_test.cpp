#include <windows.h>

#include <commctrl.h>

#include "tests/win32_ui/test_resource.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/win32_edit.h"
#include "ui/win32/win32_slider.h"

namespace ardentis::testing {
namespace {

using win32::EditEcho;
using win32::Win32Edit;
using win32::Win32Slider;

using SliderTest = ControlsDialogTest;

TEST_F(SliderTest, RangeAndPositionReadBackFromTheTrackbar) {
    Win32Slider slider(dialog, IDC_SLIDER, 5, 30, 30);

    EXPECT_EQ(slider.minimum(), 5);
    EXPECT_EQ(slider.maximum(), 30);
    EXPECT_EQ(slider.position(), 30);
    EXPECT_EQ(SendMessageW(slider.handle(), TBM_GETPOS, 0, 0), 30);
}

TEST_F(SliderTest, ProgrammaticPositionRunsOnChangeOncePerChange) {
    Win32Slider slider(dialog, IDC_SLIDER, 1, 10, 10);
    Runs runs;
    runs.wire(slider.onChange);

    slider.setPosition(4);
    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(SendMessageW(slider.handle(), TBM_GETPOS, 0, 0), 4);

    slider.setPosition(4);
    EXPECT_EQ(runs.count, 1);

    slider.setPosition(99);  // clamped to the maximum
    EXPECT_EQ(runs.count, 2);
    EXPECT_EQ(slider.position(), 10);
}

TEST_F(SliderTest, UserDragRunsOnChangeOncePerPositionReached) {
    Win32Slider slider(dialog, IDC_SLIDER, 0, 10, 1);
    Runs runs;
    runs.wire(slider.onChange);

    // What the trackbar does while dragged: move, report the move, report the release.
    SendMessageW(slider.handle(), TBM_SETPOS, TRUE, 7);
    SendMessageW(dialog.handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 7),
                 reinterpret_cast<LPARAM>(slider.handle()));
    SendMessageW(dialog.handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 7),
                 reinterpret_cast<LPARAM>(slider.handle()));
    SendMessageW(dialog.handle(), WM_HSCROLL, TB_ENDTRACK,
                 reinterpret_cast<LPARAM>(slider.handle()));

    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(slider.position(), 7);
}

TEST_F(SliderTest, ArrowKeyMovesTheTrackbarAndRunsOnChangeOnce) {
    Win32Slider slider(dialog, IDC_SLIDER, 0, 10, 1);
    Runs runs;
    runs.wire(slider.onChange);

    SendMessageW(slider.handle(), WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(slider.handle(), WM_KEYUP, VK_RIGHT, 0);

    EXPECT_EQ(slider.position(), 2);
    EXPECT_EQ(runs.count, 1);
}

using EditTest = ControlsDialogTest;

TEST_F(EditTest, TextRoundTripsThroughTheWideApiAndRunsOnChangeOnce) {
    Win32Edit edit(dialog, IDC_EDIT);
    Runs runs;
    runs.wire(edit.onChange);

    edit.setText(g("作战指挥室"));

    EXPECT_EQ(runs.count, 1);  // the interface's run; the control's own EN_CHANGE is dropped
    EXPECT_EQ(wideText(edit.handle()), L"作战指挥室");
    EXPECT_EQ(edit.text(), g("作战指挥室"));

    edit.setText(g("作战指挥室"));
    EXPECT_EQ(runs.count, 1);
}

TEST_F(EditTest, TypingRunsOnChangePerKeystroke) {
    Win32Edit edit(dialog, IDC_EDIT);
    Runs runs;
    runs.wire(edit.onChange);

    SendMessageW(edit.handle(), WM_CHAR, L'战', 1);
    SendMessageW(edit.handle(), WM_CHAR, L'1', 1);

    EXPECT_EQ(runs.count, 2);
    EXPECT_EQ(edit.text(), g("战1"));
}

TEST_F(EditTest, MaskedEditShowsStarsAndKeepsTheText) {
    Win32Edit edit(dialog, IDC_EDIT, EditEcho::Masked);

    edit.setText(g("密码123"));

    EXPECT_EQ(SendMessageW(edit.handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(edit.text(), g("密码123"));
}

TEST_F(EditTest, TextGbkCannotHoldReadsBackReplaced) {
    Win32Edit edit(dialog, IDC_EDIT);

    SetWindowTextW(edit.handle(), L"a\u20A9b");  // the won sign is not in GBK

    EXPECT_EQ(edit.text(), g("a?b"));
}

TEST_F(EditTest, DisablingReadsBack) {
    Win32Edit edit(dialog, IDC_EDIT);

    edit.setEnabled(false);

    EXPECT_FALSE(edit.enabled());
    EXPECT_FALSE(IsWindowEnabled(edit.handle()));
}

}  // namespace
}  // namespace ardentis::testing
