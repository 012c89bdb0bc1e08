#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "tests/win32_ui/test_resource.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/handler_failure.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_label.h"

namespace ardentis::testing {
namespace {

using win32::Win32Button;
using win32::Win32Label;

using ButtonTest = ControlsDialogTest;

TEST_F(ButtonTest, CaptionTravelsAsGbkThroughTheWideApi) {
    Win32Button button(dialog, IDC_BUTTON);
    EXPECT_EQ(button.caption(), g("创建"));  // from the UTF-8 resource

    button.setCaption(g("作战指挥室"));

    EXPECT_EQ(wideText(button.handle()), L"作战指挥室");
    EXPECT_EQ(button.caption(), g("作战指挥室"));
}

TEST_F(ButtonTest, UserClickRunsOnClickOnce) {
    Win32Button button(dialog, IDC_BUTTON);
    Runs runs;
    runs.wire(button.onClick);

    SendMessageW(button.handle(), BM_CLICK, 0, 0);

    EXPECT_EQ(runs.count, 1);
}

TEST_F(ButtonTest, ProgrammaticChangesRunNothing) {
    Win32Button button(dialog, IDC_BUTTON);
    Runs runs;
    runs.wire(button.onClick);

    button.setCaption(g("断开"));
    button.setEnabled(false);
    button.setVisible(false);
    button.setVisible(true);
    button.setEnabled(true);

    EXPECT_EQ(runs.count, 0);
}

TEST_F(ButtonTest, DisabledOrHiddenButtonTakesNoClick) {
    Win32Button button(dialog, IDC_BUTTON);
    Runs runs;
    runs.wire(button.onClick);

    button.setEnabled(false);
    EXPECT_FALSE(button.enabled());
    EXPECT_FALSE(IsWindowEnabled(button.handle()));
    SendMessageW(button.handle(), BM_CLICK, 0, 0);
    sendCommand(button.handle(), BN_CLICKED);  // as Enter on a default button sends it
    button.setEnabled(true);
    button.setVisible(false);
    EXPECT_FALSE(button.visible());
    EXPECT_FALSE(IsWindowVisible(button.handle()));
    sendCommand(button.handle(), BN_CLICKED);

    EXPECT_EQ(runs.count, 0);
}

TEST_F(ButtonTest, ClickablePictureRunsOnClickOnMouseClick) {
    Win32Button picture(dialog, IDC_PICTURE);
    Runs runs;
    runs.wire(picture.onClick);

    SendMessageW(picture.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(picture.handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));

    EXPECT_EQ(runs.count, 1);
}

TEST_F(ButtonTest, ADestroyedWrapperGetsNoMoreMessages) {
    Runs runs;
    {
        Win32Button first(dialog, IDC_BUTTON);
        runs.wire(first.onClick);
    }
    SendMessageW(item(IDC_BUTTON), BM_CLICK, 0, 0);
    Win32Button second(dialog, IDC_BUTTON);  // the id is free again

    EXPECT_EQ(runs.count, 0);
}

TEST_F(ButtonTest, HandlerExceptionIsReportedAndStaysOutOfUser32) {
    std::string reported;
    win32::setFailureSink([&](const std::string& message) { reported = message; });
    Win32Button button(dialog, IDC_BUTTON);
    button.onClick.set([] { throw std::runtime_error("boom"); });

    SendMessageW(button.handle(), BM_CLICK, 0, 0);
    win32::setFailureSink(nullptr);

    EXPECT_NE(reported.find("boom"), std::string::npos) << reported;
    EXPECT_TRUE(IsWindow(dialog.handle()));
}

using LabelTest = ControlsDialogTest;

TEST_F(LabelTest, CaptionRoundTripsThroughTheWideApi) {
    Win32Label label(dialog, IDC_LABEL);
    EXPECT_EQ(label.caption(), g("玩家数量:"));

    label.setCaption(g("用户:张三 位置:大厅"));

    EXPECT_EQ(wideText(label.handle()), L"用户:张三 位置:大厅");
    EXPECT_EQ(label.caption(), g("用户:张三 位置:大厅"));
    label.setCaption(text::Gbk());
    EXPECT_EQ(label.caption(), text::Gbk());
}

TEST_F(LabelTest, ShowsAmpersandsAsTheyAre) {
    Win32Label label(dialog, IDC_LABEL);

    label.setCaption(g("R&D"));

    EXPECT_NE(GetWindowLongPtrW(label.handle(), GWL_STYLE) & SS_NOPREFIX, 0);
    EXPECT_EQ(label.caption(), g("R&D"));
}

}  // namespace
}  // namespace ardentis::testing
