#pragma once

#include "controls/button.h"
#include "controls/check_box.h"
#include "controls/drop_down.h"
#include "controls/edit.h"
#include "controls/label.h"
#include "controls/list_view.h"
#include "controls/memo.h"
#include "controls/radio_group.h"
#include "controls/slider.h"
#include "tests/platform/contracts.h"
#include "text/code_page.h"

namespace ardentis::testing {

inline const auto g = [](std::string_view utf8) { return text::gbk(utf8); };

// One suite for the controls, run against their in-memory twins and the Win32 wrappers on a real
// dialog, so that the two cannot drift. The world plays the user. It starts as: button "创建",
// label "玩家数量:", check box clear, radio items {真实视野, 圆形视野, 视野全开} at 1, slider
// 0..10 at 1, edit and memo empty, drop-down {Gods of War 2, 彗星捕手, Shore to Shore} at 0.
struct ControlWorld {
    virtual ~ControlWorld() = default;
    virtual forms::Button& button() = 0;
    virtual forms::Label& label() = 0;
    virtual forms::CheckBox& checkBox() = 0;
    virtual forms::RadioGroup& radio() = 0;
    virtual forms::Slider& slider() = 0;
    virtual forms::Edit& edit() = 0;
    virtual forms::Memo& memo() = 0;  // a chat input: Enter makes a line
    virtual forms::Memo& view() = 0;  // a read-only chat view, empty
    virtual forms::DropDown& dropDown() = 0;
    virtual forms::ListView& list() = 0;

    virtual void clickButton() = 0;  // on a disabled one, as the command Enter still sends
    virtual void clickCheckBox() = 0;
    virtual void clickRadio(int index) = 0;  // on a disabled group, as clickButton
    virtual void stepSliderLeft() = 0;
    virtual void typeIntoEdit(const text::Gbk& typed) = 0;
    virtual void typeLineIntoMemo(const text::Gbk& typed) = 0;  // the text, then Enter
    virtual void chooseNextInDropDown() = 0;
    virtual void clickRow(int row) = 0;
    virtual void doubleClickRow(int row) = 0;
    virtual void clickColumn(int column) = 0;  // on its header
};

// A world over one set of controls held in `c`; each world adds only how the user acts on them.
template <class Controls>
struct ControlWorldOf : ControlWorld {
    forms::Button& button() override { return c.button; }
    forms::Label& label() override { return c.label; }
    forms::CheckBox& checkBox() override { return c.check; }
    forms::RadioGroup& radio() override { return c.radio; }
    forms::Slider& slider() override { return c.slider; }
    forms::Edit& edit() override { return c.edit; }
    forms::Memo& memo() override { return c.memo; }
    forms::Memo& view() override { return c.view; }
    forms::DropDown& dropDown() override { return c.maps; }
    forms::ListView& list() override { return c.list; }
    Controls c;
};

using ControlContract = Contract<ControlWorld>;

}  // namespace ardentis::testing
