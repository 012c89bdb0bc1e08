// Which programmatic change runs a handler is decided by the control interfaces, the
// same for every implementation: a change of value does, setting the same value does not,
// and a drop-down runs its handler only on the user's choice.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "controls/memory/memory_check_box.h"
#include "controls/memory/memory_drop_down.h"
#include "controls/memory/memory_edit.h"
#include "controls/memory/memory_memo.h"
#include "controls/memory/memory_radio_group.h"
#include "controls/memory/memory_slider.h"

namespace ardentis::forms {
namespace {

using text::Gbk;

struct Rule {
    const char* control;
    std::function<void(int)> set;  // 0: the value the control has; 1: another
    int handlerRuns;
};

TEST(ControlRules, AProgrammaticChangeOfValueRunsTheHandlerExceptOnADropDown) {
    int runs = 0;
    const auto count = [&runs] { ++runs; };
    MemorySlider slider(1, 10, 10);
    MemoryRadioGroup radio({Gbk("a"), Gbk("b")}, 0);
    MemoryEdit edit;
    MemoryMemo memo;
    MemoryCheckBox ready;
    MemoryDropDown maps({Gbk("a"), Gbk("b")}, 0);
    slider.onChange.set(count);
    radio.onClick.set(count);
    edit.onChange.set(count);
    memo.onChange.set(count);
    ready.onClick.set(count);
    maps.onChange.set(count);
    const Rule rules[] = {
        {"slider", [&](int v) { slider.setPosition(10 - v); }, 1},
        {"radio item", [&](int v) { radio.setItemIndex(v); }, 1},
        {"edit", [&](int v) { edit.setText(v == 0 ? Gbk() : Gbk("x")); }, 1},
        {"memo", [&](int v) { memo.setText(v == 0 ? Gbk() : Gbk("x")); }, 1},
        {"ready box", [&](int v) { ready.setChecked(v != 0); }, 1},
        {"drop-down", [&](int v) { maps.setItemIndex(v); }, 0},
    };
    for (const Rule& rule : rules) {
        SCOPED_TRACE(rule.control);
        runs = 0;
        for (const int value : {0, 1, 1}) {
            rule.set(value);
        }
        EXPECT_EQ(runs, rule.handlerRuns);
    }
    runs = 0;
    memo.addLine(Gbk("a notice"));  // appending a line is no change of text
    EXPECT_EQ(runs, 0);
}

TEST(ControlRules, OutOfRangeValuesAreClampedAndAHandlerMayMoveItsSliderAgain) {
    MemorySlider slider(1, 10, 10);
    std::vector<int> seen;
    slider.onChange.set([&] {
        seen.push_back(slider.position());
        if (slider.position() < 3) {
            slider.setPosition(3);  // as the player-limit check puts it back
        }
    });
    slider.setPosition(0);
    slider.setPosition(99);
    EXPECT_EQ(seen, (std::vector<int>{1, 3, 10}));
    MemoryRadioGroup group({Gbk("a"), Gbk("b")}, 0);
    group.setItemIndex(7);
    EXPECT_EQ(group.itemIndex(), 1);
    group.setItemIndex(-5);
    EXPECT_EQ(group.itemIndex(), -1);
}

}  // namespace
}  // namespace ardentis::forms
