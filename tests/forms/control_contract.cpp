// The control rules and read-back, the same for the in-memory twins and the Win32 wrappers.
#include <functional>
#include <string>
#include <vector>

#include "tests/forms/control_contract.h"
#include "text/code_page.h"

namespace ardentis::testing {
namespace {

using text::Gbk;

Gbk g(std::string_view utf8) {
    return text::gbk(utf8);
}

TEST_P(ControlContract, AProgrammaticChangeOfValueRunsTheHandlerOnceExceptOnADropDown) {
    auto& w = world();
    int runs = 0;
    for (forms::Handler* handler :
         {&w.slider().onChange, &w.radio().onClick, &w.edit().onChange, &w.memo().onChange,
          &w.checkBox().onClick, &w.dropDown().onChange, &w.list().onClick, &w.list().onDblClick}) {
        handler->set([&runs] { ++runs; });
    }
    struct Rule {
        const char* control;
        std::function<void(bool)> set;  // false: the value the control has; true: another
        int handlerRuns;
    };
    const Rule rules[] = {
        {"slider", [&](bool other) { w.slider().setPosition(other ? 5 : 1); }, 1},
        {"radio item", [&](bool other) { w.radio().setItemIndex(other ? 2 : 1); }, 1},
        {"edit", [&](bool other) { w.edit().setText(other ? g("密码") : Gbk()); }, 1},
        {"memo", [&](bool other) { w.memo().setText(other ? g("上\r\n下") : Gbk()); }, 1},
        {"check box", [&](bool other) { w.checkBox().setChecked(other); }, 1},
        {"drop-down", [&](bool other) { w.dropDown().setItemIndex(other ? 1 : 0); }, 0},
    };
    for (const Rule& rule : rules) {
        SCOPED_TRACE(rule.control);
        runs = 0;
        for (const bool other : {false, true, true}) {
            rule.set(other);
        }
        EXPECT_EQ(runs, rule.handlerRuns);
    }
    runs = 0;
    w.memo().addLine(g("系统消息"));  // lines and rows come and go without a handler
    w.memo().clear();
    w.dropDown().addItem(g("新地图"));
    w.dropDown().clear();
    w.list().addRow(g("a"), {g("甲")});
    w.list().setSubItem(0, 1, g("乙"));
    w.list().deleteRow(0);
    w.list().addRow(g("b"), {});
    w.list().clear();
    EXPECT_EQ(runs, 0);
}

TEST_P(ControlContract, OutOfRangeValuesAreClampedAndAHandlerMayMoveItsSliderAgain) {
    auto& slider = world().slider();
    std::vector<int> seen;
    slider.onChange.set([&] {
        seen.push_back(slider.position());
        if (slider.position() < 3) {
            slider.setPosition(3);  // as the player-limit check puts it back
        }
    });
    slider.setPosition(-5);
    slider.setPosition(99);
    EXPECT_EQ(seen, (std::vector<int>{0, 3, 10}));
    EXPECT_EQ(slider.position(), 10);
    auto& radio = world().radio();
    radio.setItemIndex(7);
    EXPECT_EQ(radio.itemIndex(), 2);
    radio.setItemIndex(-5);
    EXPECT_EQ(radio.itemIndex(), -1);
    world().dropDown().setItemIndex(7);
    EXPECT_EQ(world().dropDown().itemIndex(), -1);
    EXPECT_EQ(world().dropDown().text(), Gbk());
}

TEST_P(ControlContract, TheUsersActionRunsItsHandlerOnceAndADisabledControlTakesNone) {
    auto& w = world();
    struct Action {
        const char* control;
        forms::Handler& handler;
        std::function<void()> act;
        std::function<bool()> done;
    };
    const Action actions[] = {
        {"button", w.button().onClick, [&] { w.clickButton(); }, [] { return true; }},
        {"check box", w.checkBox().onClick, [&] { w.clickCheckBox(); },
         [&] { return w.checkBox().checked(); }},
        {"radio item", w.radio().onClick, [&] { w.clickRadio(0); },
         [&] { return w.radio().itemIndex() == 0; }},
        {"slider", w.slider().onChange, [&] { w.stepSliderLeft(); },
         [&] { return w.slider().position() == 0; }},
        {"edit", w.edit().onChange, [&] { w.typeIntoEdit(g("战")); },
         [&] { return w.edit().text() == g("战"); }},
        {"drop-down", w.dropDown().onChange, [&] { w.chooseNextInDropDown(); },
         [&] { return w.dropDown().itemIndex() == 1 && w.dropDown().text() == g("彗星捕手"); }},
    };
    for (const Action& action : actions) {
        SCOPED_TRACE(action.control);
        int runs = 0;
        action.handler.set([&runs] { ++runs; });
        action.act();
        EXPECT_EQ(runs, 1);
        EXPECT_TRUE(action.done());
    }
    int pressed = 0;
    int picked = 0;
    w.button().onClick.set([&] { ++pressed; });
    w.radio().onClick.set([&] { ++picked; });
    w.button().setEnabled(false);
    w.radio().setEnabled(false);
    w.clickButton();
    w.clickRadio(2);
    EXPECT_EQ(pressed, 0) << "a disabled button";
    EXPECT_EQ(picked, 0) << "a disabled radio group";
    EXPECT_EQ(w.radio().itemIndex(), 0);
}

TEST_P(ControlContract, TextsItemsAndLinesReadBackAsSet) {
    auto& w = world();
    EXPECT_EQ(w.button().caption(), g("创建"));
    w.button().setCaption(g("作战指挥室"));
    EXPECT_EQ(w.button().caption(), g("作战指挥室"));
    EXPECT_EQ(w.label().caption(), g("玩家数量:"));
    w.label().setCaption(g("用户:张三 R&D"));
    EXPECT_EQ(w.label().caption(), g("用户:张三 R&D"));
    w.edit().setText(g("密码123"));
    EXPECT_EQ(w.edit().text(), g("密码123"));
    EXPECT_EQ(w.radio().item(2), g("视野全开"));
    EXPECT_EQ(w.radio().count(), 3);

    auto& maps = w.dropDown();
    EXPECT_EQ(maps.item(1), g("彗星捕手"));
    maps.addItem(g("新地图"));
    EXPECT_EQ(maps.count(), 4);
    EXPECT_EQ(maps.item(3), g("新地图"));
    maps.clear();
    EXPECT_EQ(maps.itemIndex(), -1);
    EXPECT_EQ(maps.count(), 0);

    auto& memo = w.memo();
    memo.setText(g("左\n右"));  // a bare line feed becomes a line break
    EXPECT_EQ(memo.text(), g("左\r\n右"));
    memo.addLine(g("张三: 你好"));
    EXPECT_EQ(memo.lineCount(), 3);
    EXPECT_EQ(memo.line(2), g("张三: 你好"));
    EXPECT_EQ(memo.line(3), Gbk());
    memo.clear();
    EXPECT_EQ(memo.lineCount(), 0);
    memo.addLine(g("系统消息: 欢迎"));
    EXPECT_EQ(memo.text(), g("系统消息: 欢迎"));
}

TEST_P(ControlContract, ListRowsReadBackAndOnlyTheUsersClicksSelectAndRunHandlers) {
    auto& list = world().list();
    std::vector<std::string> events;
    list.onClick.set(
        [&] { events.push_back("click " + std::to_string(list.selected().value_or(-1))); });
    list.onDblClick.set(
        [&] { events.push_back("double " + std::to_string(list.selected().value_or(-1))); });
    std::string longText;
    for (int i = 0; i < 60; ++i) {
        longText += "房间说明";
    }
    list.addRow(g("a"), {g("甲"), g("就绪")});
    list.addRow(g(longText), {g(longText)});
    list.addRow(g("c"), {});
    list.setSubItem(2, 2, g("丙"));
    list.deleteRow(0);
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.caption(0), g(longText));
    EXPECT_EQ(list.subItem(0, 1), g(longText));
    EXPECT_EQ(list.subItem(1, 1), Gbk());
    EXPECT_EQ(list.subItem(1, 2), g("丙"));
    EXPECT_EQ(list.selected(), std::nullopt);
    EXPECT_TRUE(events.empty());

    list.addRow(g("d"), {});
    world().clickRow(2);
    world().doubleClickRow(1);  // selected before the handler runs
    EXPECT_EQ(events, (std::vector<std::string>{"click 2", "double 1"}));
    list.deleteRow(0);  // the selection moves with its row
    EXPECT_EQ(list.selected(), 0);
    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.selected(), std::nullopt);
    EXPECT_EQ(events.size(), 2U);
}

// A room's key may hold any bytes; a lossy round trip through the control would let one
// row answer for another.
TEST_P(ListViewTest, BytesThatAreNotGbkStillMatchTheirRow) {
    auto& rooms = world().list();
    const Gbk lone("\x81\x20");  // a lead byte without its trail byte
    const Gbk invalid("\xFF\xFE");
    const Gbk last("\xFE");  // a lead byte at the end
    const Gbk lossy("??");   // what a lossy round trip might make of them
    rooms.addRow(lossy, {g("别的房间")});
    rooms.addRow(lone, {Gbk("\x80\xFF"), g("2")});
    rooms.addRow(invalid, {g("3")});
    rooms.addRow(last, {});
    rooms.addRow(g("ABC"), {});
    rooms.addRow(g("abc"), {});

    EXPECT_EQ(rooms.caption(1), lone);
    EXPECT_EQ(rooms.subItem(1, 1), Gbk("\x80\xFF"));
    EXPECT_EQ(rooms.findCaption(lone), 1);
    EXPECT_EQ(rooms.findCaption(invalid), 2);
    EXPECT_EQ(rooms.findCaption(last), 3);
    EXPECT_EQ(rooms.findCaption(lossy), 0);
    EXPECT_EQ(rooms.findCaption(g("abc")), 5);
    EXPECT_EQ(rooms.findCaption(g("ab")), std::nullopt);
    rooms.deleteRow(rooms.findCaption(lone).value_or(-1));
    EXPECT_EQ(rooms.rowCount(), 5);
    EXPECT_EQ(rooms.findCaption(lone), std::nullopt);
    EXPECT_EQ(rooms.findCaption(invalid), 1);
}

TEST_P(ControlContract, EnterInAMemoReportsTheKeyOnceItsLineIsMade) {
    auto& memo = world().memo();
    std::vector<std::string> events;
    memo.onChange.set([&] { events.emplace_back("change"); });
    memo.onKeyDown = [&](int key) {
        if (key == forms::Memo::kEnter) {
            events.push_back("enter " + memo.line(memo.caretLine() - 1).bytes());
        }
    };
    for (const char* typed : {"第一句", "第二句", ""}) {
        world().typeLineIntoMemo(g(typed));
    }
    std::vector<std::string> sent;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].starts_with("enter")) {
            sent.push_back(events[i]);
            EXPECT_TRUE(i > 0 && events[i - 1] == "change") << "the line comes before the key";
        }
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"enter " + g("第一句").bytes(),
                                              "enter " + g("第二句").bytes(), "enter "}));
    EXPECT_EQ(memo.text(), g("第一句\r\n第二句\r\n\r\n"));
}

}  // namespace
}  // namespace ardentis::testing
