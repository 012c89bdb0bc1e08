// The control rules and read-back, the same for the in-memory twins and the Win32 wrappers.
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/forms/control_contract.h"

namespace ardentis::testing {
namespace {

using text::Gbk;

// Each handler counts into `runs`.
void countRuns(ControlWorld& w, int& runs) {
    for (forms::Handler* handler :
         {&w.button().onClick, &w.slider().onChange, &w.radio().onClick, &w.edit().onChange,
          &w.memo().onChange, &w.checkBox().onClick, &w.dropDown().onChange, &w.list().onClick,
          &w.list().onDblClick}) {
        handler->set([&runs] { ++runs; });
    }
}

TEST_P(ControlContract, AProgrammaticChangeRunsTheHandlerOnceExceptOnADropDownAndIsClamped) {
    auto& w = world();
    int runs = 0;
    countRuns(w, runs);
    // A control, how to set a value (false: the one it has; true: another), handler runs.
    const std::tuple<const char*, std::function<void(bool)>, int> rules[] = {
        {"slider", [&](bool other) { w.slider().setPosition(other ? 5 : 1); }, 1},
        {"radio item", [&](bool other) { w.radio().setItemIndex(other ? 2 : 1); }, 1},
        {"edit", [&](bool other) { w.edit().setText(other ? g("密码") : Gbk()); }, 1},
        {"memo", [&](bool other) { w.memo().setText(other ? g("上\r\n下") : Gbk()); }, 1},
        {"check box", [&](bool other) { w.checkBox().setChecked(other); }, 1},
        {"drop-down", [&](bool other) { w.dropDown().setItemIndex(other ? 1 : 0); }, 0},
    };
    for (const auto& [control, set, handlerRuns] : rules) {
        SCOPED_TRACE(control);
        runs = 0;
        for (const bool other : {false, true, true}) {
            set(other);
        }
        EXPECT_EQ(runs, handlerRuns);
    }
    // Out-of-range values are clamped, and a handler may move its slider again.
    auto& slider = w.slider();
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
    w.radio().setItemIndex(7);
    EXPECT_EQ(w.radio().itemIndex(), 2);
    w.radio().setItemIndex(-5);
    EXPECT_EQ(w.radio().itemIndex(), -1);
    w.dropDown().setItemIndex(7);
    EXPECT_EQ(w.dropDown().itemIndex(), -1);
    EXPECT_EQ(w.dropDown().text(), Gbk());
}

TEST_P(ControlContract, TheUsersActionRunsItsHandlerOnceAndADisabledControlTakesNone) {
    auto& w = world();
    int runs = 0;
    countRuns(w, runs);
    // A control, the user's action on it, and what the action made of it.
    const std::tuple<const char*, std::function<void()>, std::function<bool()>> actions[] = {
        {"button", [&] { w.clickButton(); }, [] { return true; }},
        {"check box", [&] { w.clickCheckBox(); }, [&] { return w.checkBox().checked(); }},
        {"radio item", [&] { w.clickRadio(0); }, [&] { return w.radio().itemIndex() == 0; }},
        {"slider", [&] { w.stepSliderLeft(); }, [&] { return w.slider().position() == 0; }},
        {"edit", [&] { w.typeIntoEdit(g("战")); }, [&] { return w.edit().text() == g("战"); }},
        {"drop-down", [&] { w.chooseNextInDropDown(); },
         [&] { return w.dropDown().itemIndex() == 1 && w.dropDown().text() == g("彗星捕手"); }},
    };
    for (const auto& [control, act, done] : actions) {
        SCOPED_TRACE(control);
        runs = 0;
        act();
        EXPECT_EQ(runs, 1) << "one handler, once";
        EXPECT_TRUE(done());
    }
    runs = 0;
    w.button().setEnabled(false);
    w.radio().setEnabled(false);
    w.clickButton();
    w.clickRadio(2);
    EXPECT_EQ(runs, 0) << "a disabled button or radio group";
    EXPECT_EQ(w.radio().itemIndex(), 0);
}

// Captions, items, lines and rows come and go without a handler.
TEST_P(ControlContract, TextsItemsLinesAndRowsReadBackAsSet) {
    auto& w = world();
    int runs = 0;
    countRuns(w, runs);
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

    auto& list = w.list();
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
    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(runs, 2) << "only setting the edit's and the memo's text";
}

// A room's key may hold any bytes; a lossy round trip through the control would let one
// row answer for another. Only the user's clicks select, and a selection moves with its row.
TEST_P(ControlContract, ListRowBytesThatAreNotGbkStillMatchTheirRowAndOnlyClicksSelect) {
    auto& rooms = world().list();
    std::vector<std::string> events;
    rooms.onClick.set(
        [&] { events.push_back("click " + std::to_string(rooms.selected().value_or(-1))); });
    rooms.onDblClick.set(
        [&] { events.push_back("double " + std::to_string(rooms.selected().value_or(-1))); });
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
    EXPECT_EQ(rooms.selected(), std::nullopt);
    world().clickRow(5);
    world().doubleClickRow(4);  // selected before the handler runs
    EXPECT_EQ(events, (std::vector<std::string>{"click 5", "double 4"}));
    rooms.deleteRow(1);
    EXPECT_EQ(rooms.rowCount(), 5);
    EXPECT_EQ(rooms.findCaption(lone), std::nullopt);
    EXPECT_EQ(rooms.findCaption(invalid), 1);
    EXPECT_EQ(rooms.selected(), 3);
    rooms.clear();
    EXPECT_EQ(rooms.selected(), std::nullopt);
    EXPECT_EQ(events.size(), 2U);
}

// The line an Enter makes is there when the key is reported, marked if no change came
// before it: an empty line shows whether the Enter's own change came first.
TEST_P(ControlContract, EnterInAMemoReportsTheKeyOnceItsLineIsMade) {
    auto& memo = world().memo();
    bool changed = false;
    std::vector<std::string> lines;
    memo.onChange.set([&] { changed = true; });
    memo.onKeyDown = [&](int key) {
        if (key == forms::Memo::kEnter) {
            lines.push_back((changed ? "" : "unchanged ") +
                            memo.line(memo.caretLine() - 1).bytes());
            changed = false;
        }
    };
    for (const char* typed : {"第一句", "第二句", ""}) {
        world().typeLineIntoMemo(g(typed));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{g("第一句").bytes(), g("第二句").bytes(), ""}));
    EXPECT_EQ(memo.text(), g("第一句\r\n第二句\r\n\r\n"));
}

}  // namespace
}  // namespace ardentis::testing
