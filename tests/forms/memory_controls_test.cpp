// The in-memory twins under the control contract.
#include "controls/memory/memory_button.h"
#include "controls/memory/memory_check_box.h"
#include "controls/memory/memory_drop_down.h"
#include "controls/memory/memory_edit.h"
#include "controls/memory/memory_label.h"
#include "controls/memory/memory_list_view.h"
#include "controls/memory/memory_memo.h"
#include "controls/memory/memory_radio_group.h"
#include "controls/memory/memory_slider.h"
#include "tests/forms/control_contract.h"
#include "text/code_page.h"

namespace ardentis::testing {
namespace {

using text::gbk;

class MemoryWorld final : public ControlWorld {
  public:
    forms::Button& button() override { return button_; }
    forms::Label& label() override { return label_; }
    forms::CheckBox& checkBox() override { return check_; }
    forms::RadioGroup& radio() override { return radio_; }
    forms::Slider& slider() override { return slider_; }
    forms::Edit& edit() override { return edit_; }
    forms::Memo& memo() override { return memo_; }
    forms::DropDown& dropDown() override { return maps_; }
    forms::ListView& list() override { return list_; }

    void clickButton() override { button_.click(); }
    void clickCheckBox() override { check_.click(); }
    void clickRadio(int index) override { radio_.click(index); }
    void stepSliderLeft() override { slider_.drag(slider_.position() - 1); }
    void typeIntoEdit(const text::Gbk& typed) override { edit_.type(edit_.text() + typed); }
    void typeLineIntoMemo(const text::Gbk& typed) override { memo_.typeLine(typed); }
    void chooseNextInDropDown() override { maps_.choose(maps_.itemIndex() + 1); }
    void clickRow(int row) override { list_.click(row); }
    void doubleClickRow(int row) override { list_.doubleClick(row); }

  private:
    forms::MemoryButton button_{gbk("创建")};
    forms::MemoryLabel label_{gbk("玩家数量:")};
    forms::MemoryCheckBox check_;
    forms::MemoryRadioGroup radio_{{gbk("真实视野"), gbk("圆形视野"), gbk("视野全开")}, 1};
    forms::MemorySlider slider_{0, 10, 1};
    forms::MemoryEdit edit_;
    forms::MemoryMemo memo_;
    forms::MemoryDropDown maps_{{gbk("Gods of War 2"), gbk("彗星捕手"), gbk("Shore to Shore")}, 0};
    forms::MemoryListView list_;
};

CONTRACT_WORLD(Memory, ControlContract, MemoryWorld, ControlWorld);
CONTRACT_WORLD(Memory, ListViewTest, MemoryWorld, ControlWorld);

}  // namespace
}  // namespace ardentis::testing
