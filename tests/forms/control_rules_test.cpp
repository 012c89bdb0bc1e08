// Which programmatic change runs a handler is decided by the control interfaces, the
// same for every implementation; these cases pin the rules down.
#include <gtest/gtest.h>

#include <vector>

#include "controls/memory/memory_check_box.h"
#include "controls/memory/memory_drop_down.h"
#include "controls/memory/memory_edit.h"
#include "controls/memory/memory_memo.h"
#include "controls/memory/memory_radio_group.h"
#include "controls/memory/memory_slider.h"
#include "controls/memory/memory_window.h"

namespace ardentis::forms {
namespace {

using text::Gbk;

TEST(SliderRule, EveryChangeOfPositionRunsTheHandlerWithTheNewPosition) {
    MemorySlider slider(1, 10, 10);
    std::vector<int> seen;
    slider.onChange.set([&] { seen.push_back(slider.position()); });
    slider.setPosition(4);
    slider.setPosition(4);   // no change, no handler
    slider.setPosition(0);   // clamped to the minimum
    slider.setPosition(99);  // clamped to the maximum
    EXPECT_EQ(seen, (std::vector<int>{4, 1, 10}));
}

TEST(SliderRule, AHandlerThatMovesTheSliderAgainRunsOnceMore) {
    // The player-limit check puts the slider back from inside its own handler.
    MemorySlider slider(1, 10, 10);
    std::vector<int> seen;
    slider.onChange.set([&] {
        seen.push_back(slider.position());
        if (slider.position() < 3) {
            slider.setPosition(3);
        }
    });
    slider.setPosition(2);
    EXPECT_EQ(seen, (std::vector<int>{2, 3}));
    EXPECT_EQ(slider.position(), 3);
}

TEST(RadioGroupRule, SelectingAnotherItemRunsTheHandlerAndOutOfRangeIsClamped) {
    MemoryRadioGroup group({Gbk("a"), Gbk("b"), Gbk("c")}, 1);
    int clicks = 0;
    group.onClick.set([&] { ++clicks; });
    group.setItemIndex(1);
    EXPECT_EQ(clicks, 0);
    group.setItemIndex(2);
    EXPECT_EQ(clicks, 1);
    group.setItemIndex(7);  // beyond the list: stays on the last item, nothing changes
    EXPECT_EQ(group.itemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    group.setItemIndex(-5);
    EXPECT_EQ(group.itemIndex(), -1);
    EXPECT_EQ(clicks, 2);
}

TEST(CheckBoxRule, ChangingTheMarkRunsTheHandlerSettingTheSameMarkDoesNot) {
    MemoryCheckBox box;
    int clicks = 0;
    box.onClick.set([&] { ++clicks; });
    box.setChecked(false);
    EXPECT_EQ(clicks, 0);
    box.setChecked(true);
    box.setChecked(true);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(box.click());
    EXPECT_FALSE(box.checked());
    EXPECT_EQ(clicks, 2);
    box.setEnabled(false);
    EXPECT_FALSE(box.click());
    EXPECT_EQ(clicks, 2);
}

TEST(DropDownRule, OnlyTheUsersChoiceRunsTheHandler) {
    MemoryDropDown maps({Gbk("Gods of War 2"), Gbk("Comet Catcher")}, 0);
    int changes = 0;
    maps.onChange.set([&] { ++changes; });
    maps.setItemIndex(1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(maps.text(), Gbk("Comet Catcher"));
    EXPECT_TRUE(maps.choose(0));
    EXPECT_EQ(changes, 1);
    maps.setItemIndex(5);
    EXPECT_EQ(maps.itemIndex(), -1);
    EXPECT_TRUE(maps.text().empty());
}

TEST(TextRule, SettingADifferentTextRunsTheHandler) {
    MemoryEdit edit;
    MemoryMemo memo;
    int editChanges = 0;
    int memoChanges = 0;
    edit.onChange.set([&] { ++editChanges; });
    memo.onChange.set([&] { ++memoChanges; });
    edit.setText(Gbk("pw"));
    edit.setText(Gbk("pw"));
    memo.setText(Gbk("hello"));
    memo.setText(Gbk("hello"));
    memo.addLine(Gbk("a notice"));  // appending a line is not a change of text
    EXPECT_EQ(editChanges, 1);
    EXPECT_EQ(memoChanges, 1);
}

TEST(WindowRule, ShowAndHideRunTheirHandlersOnlyOnAChange) {
    MemoryWindow window;
    int shows = 0;
    int hides = 0;
    window.onShow.set([&] { ++shows; });
    window.onHide.set([&] { ++hides; });
    window.show();
    window.show();
    window.hide();
    window.hide();
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(hides, 1);
}

TEST(WindowRule, ACloseRequestIsRefusedUnlessTheGuardAllowsIt) {
    MemoryWindow window;
    bool allow = false;
    int closes = 0;
    window.onCloseQuery = [&] { return allow; };
    window.onClose.set([&] { ++closes; });
    window.show();
    EXPECT_FALSE(window.requestClose());
    EXPECT_TRUE(window.visible());
    allow = true;
    EXPECT_TRUE(window.requestClose());
    EXPECT_FALSE(window.visible());
    EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace ardentis::forms
