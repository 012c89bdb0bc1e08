// The in-memory twins under the control contract, and the manual event loop.
#include "controls/memory/memory_button.h"
#include "controls/memory/memory_check_box.h"
#include "controls/memory/memory_drop_down.h"
#include "controls/memory/memory_edit.h"
#include "controls/memory/memory_label.h"
#include "controls/memory/memory_list_view.h"
#include "controls/memory/memory_memo.h"
#include "controls/memory/memory_radio_group.h"
#include "controls/memory/memory_slider.h"
#include "platform/fake/manual_event_loop.h"
#include "tests/forms/control_contract.h"

namespace ardentis::testing {
namespace {

struct MemoryControls {
    forms::MemoryButton button{g("创建")};
    forms::MemoryLabel label{g("玩家数量:")};
    forms::MemoryCheckBox check;
    forms::MemoryRadioGroup radio{{g("真实视野"), g("圆形视野"), g("视野全开")}, 1};
    forms::MemorySlider slider{0, 10, 1};
    forms::MemoryEdit edit;
    forms::MemoryMemo memo;
    forms::MemoryMemo view;
    forms::MemoryDropDown maps{{g("Gods of War 2"), g("彗星捕手"), g("Shore to Shore")}, 0};
    forms::MemoryListView list;
};

struct MemoryWorld final : ControlWorldOf<MemoryControls> {
    void clickButton() override { c.button.click(); }
    void clickCheckBox() override { c.check.click(); }
    void clickRadio(int index) override { c.radio.click(index); }
    void stepSliderLeft() override { c.slider.drag(c.slider.position() - 1); }
    void typeIntoEdit(const text::Gbk& typed) override { c.edit.type(c.edit.text() + typed); }
    void typeLineIntoMemo(const text::Gbk& typed) override { c.memo.typeLine(typed); }
    void chooseNextInDropDown() override { c.maps.choose(c.maps.itemIndex() + 1); }
    void clickRow(int row) override { c.list.click(row); }
    void doubleClickRow(int row) override { c.list.doubleClick(row); }
    void clickColumn(int column) override { c.list.clickColumn(column); }
};

CONTRACT_WORLD(Memory, ControlContract, MemoryWorld, ControlWorld);

TEST(ManualEventLoop, TimersFireInDueOrderAndEnablingRestartsTheInterval) {
    platform::ManualEventLoop loop;
    std::vector<std::string> fired;
    const auto note = [&](const char* name) {
        return [&, name] { fired.push_back(name + std::to_string(loop.now().count())); };
    };
    auto fast = loop.createTimer(10, true, note("a"));
    auto slow = loop.createTimer(25, true, note("b"));
    auto off = loop.createTimer(20, false, note("c"));
    loop.advance(std::chrono::milliseconds(30));
    fast.reset();
    slow->setEnabled(false);
    off->setEnabled(true);
    loop.advance(std::chrono::milliseconds(22));
    slow->setEnabled(true);  // due 25 ms from now, not at its old time
    loop.advance(std::chrono::milliseconds(27));
    EXPECT_EQ(fired, (std::vector<std::string>{"a10", "a20", "b25", "a30", "c50", "c70", "b77"}));
}

}  // namespace
}  // namespace ardentis::testing
