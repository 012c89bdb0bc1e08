#include <windows.h>

#include <array>
#include <stdexcept>

#include "tests/win32_ui/test_resource.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/win32_check_box.h"
#include "ui/win32/win32_radio_group.h"

namespace ardentis::testing {
namespace {

using win32::Win32CheckBox;
using win32::Win32RadioGroup;

using CheckBoxTest = ControlsDialogTest;

TEST_F(CheckBoxTest, ProgrammaticChangeRunsOnClickOnceAndShowsTheMark) {
    Win32CheckBox box(dialog, IDC_CHECK);
    Runs runs;
    runs.wire(box.onClick);

    box.setChecked(true);
    EXPECT_EQ(runs.count, 1);
    EXPECT_TRUE(box.checked());
    EXPECT_EQ(SendMessageW(box.handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    box.setChecked(true);  // the mark it already has
    EXPECT_EQ(runs.count, 1);

    box.setChecked(false);
    EXPECT_EQ(runs.count, 2);
    EXPECT_EQ(SendMessageW(box.handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(CheckBoxTest, UserClickTogglesAndRunsOnClickOnce) {
    Win32CheckBox box(dialog, IDC_CHECK);
    Runs runs;
    runs.wire(box.onClick);

    SendMessageW(box.handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(runs.count, 1);
    EXPECT_TRUE(box.checked());

    SendMessageW(box.handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(runs.count, 2);
    EXPECT_FALSE(box.checked());
}

TEST_F(CheckBoxTest, CaptionVisibilityAndEnablingReadBack) {
    Win32CheckBox box(dialog, IDC_CHECK);
    Runs runs;
    runs.wire(box.onClick);

    EXPECT_EQ(box.caption(), g("准备就绪"));
    box.setVisible(false);
    EXPECT_FALSE(box.visible());
    box.setVisible(true);
    EXPECT_TRUE(box.visible());
    box.setEnabled(false);
    EXPECT_FALSE(box.enabled());
    EXPECT_EQ(runs.count, 0);
}

TEST_F(CheckBoxTest, RefusesABoxThatDoesNotMarkItself) {
    EXPECT_THROW(Win32CheckBox(dialog, IDC_PLAIN_CHECK), std::invalid_argument);
}

using RadioGroupTest = ControlsDialogTest;

const std::array kSight{g("真实视野"), g("圆形视野"), g("视野全开")};

TEST_F(RadioGroupTest, MakesOneButtonPerItemInsideTheBox) {
    Win32RadioGroup group(dialog, IDC_GROUP, IDC_GROUP_ITEMS, kSight, 0, 3);

    ASSERT_EQ(group.count(), 3);
    EXPECT_EQ(group.caption(), g("视野模式"));
    RECT box{};
    GetWindowRect(group.groupBox(), &box);
    LONG previousLeft = box.left;
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(group.item(index), kSight[static_cast<std::size_t>(index)]);
        EXPECT_EQ(GetDlgCtrlID(group.button(index)), IDC_GROUP_ITEMS + index);
        RECT button{};
        GetWindowRect(group.button(index), &button);
        EXPECT_GE(button.left, box.left);
        EXPECT_LE(button.right, box.right);
        EXPECT_GT(button.top, box.top);
        EXPECT_LE(button.bottom, box.bottom);
        EXPECT_GE(button.left, previousLeft);  // three columns, side by side
        previousLeft = button.right;
    }
    EXPECT_EQ(group.item(3), text::Gbk());
}

TEST_F(RadioGroupTest, StartsWithTheGivenSelection) {
    Win32RadioGroup group(dialog, IDC_GROUP, IDC_GROUP_ITEMS, kSight, 1, 3);

    EXPECT_EQ(group.itemIndex(), 1);
    EXPECT_EQ(SendMessageW(group.button(1), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(group.button(0), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(RadioGroupTest, ProgrammaticSelectionRunsOnClickOnlyWhenItChanges) {
    Win32RadioGroup group(dialog, IDC_GROUP, IDC_GROUP_ITEMS, kSight, 0, 3);
    Runs runs;
    runs.wire(group.onClick);

    group.setItemIndex(2);
    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(group.itemIndex(), 2);
    EXPECT_EQ(SendMessageW(group.button(0), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    group.setItemIndex(2);
    group.setItemIndex(9);  // clamped to the last item, the one selected
    EXPECT_EQ(runs.count, 1);

    group.setItemIndex(-4);  // none
    EXPECT_EQ(runs.count, 2);
    EXPECT_EQ(group.itemIndex(), -1);
}

TEST_F(RadioGroupTest, UserClickSelectsAndRunsOnClickOnce) {
    Win32RadioGroup group(dialog, IDC_GROUP, IDC_GROUP_ITEMS, kSight, 0, 3);
    Runs runs;
    runs.wire(group.onClick);

    SendMessageW(group.button(1), BM_CLICK, 0, 0);
    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(group.itemIndex(), 1);
    EXPECT_EQ(SendMessageW(group.button(0), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    SendMessageW(group.button(1), BM_CLICK, 0, 0);  // the item already selected
    EXPECT_EQ(runs.count, 1);
}

TEST_F(RadioGroupTest, DisabledGroupTakesNoClick) {
    Win32RadioGroup group(dialog, IDC_GROUP, IDC_GROUP_ITEMS, kSight, 0, 3);
    Runs runs;
    runs.wire(group.onClick);

    group.setEnabled(false);
    EXPECT_FALSE(group.enabled());
    EXPECT_FALSE(IsWindowEnabled(group.button(2)));
    sendCommand(group.button(2), BN_CLICKED);

    EXPECT_EQ(runs.count, 0);
    EXPECT_EQ(group.itemIndex(), 0);
}

}  // namespace
}  // namespace ardentis::testing
