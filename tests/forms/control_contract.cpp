// The control rules and read-back, the same for the in-memory twins and the Win32 wrappers.
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/forms/control_contract.h"

namespace ardentis::testing {
namespace {

using text::Gbk;
using Texts = std::vector<Gbk>;

void countRuns(ControlWorld& w, int& runs) {
    for (forms::Handler* handler :
         {&w.button().onClick, &w.slider().onChange, &w.radio().onClick, &w.edit().onChange,
          &w.memo().onChange, &w.checkBox().onClick, &w.dropDown().onChange, &w.list().onClick,
          &w.list().onDblClick}) {
        handler->set([&runs] { ++runs; });
    }
}

// The user's action runs its handler once and a disabled button or radio group takes none; a
// programmatic change runs it once, on a drop-down never; out-of-range values are clamped.
TEST_P(ControlContract, HandlersRunOnceForTheUserAndForAProgrammaticChangeExceptOnADropDown) {
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
    // A control, how to set a value (false: the one it has; true: another), handler runs.
    const std::tuple<const char*, std::function<void(bool)>, int> rules[] = {
        {"slider", [&](bool other) { w.slider().setPosition(other ? 5 : 0); }, 1},
        {"radio item", [&](bool other) { w.radio().setItemIndex(other ? 2 : 0); }, 1},
        {"edit", [&](bool other) { w.edit().setText(g(other ? "密码" : "战")); }, 1},
        {"memo", [&](bool other) { w.memo().setText(other ? g("上\r\n下") : Gbk()); }, 1},
        {"check box", [&](bool other) { w.checkBox().setChecked(!other); }, 1},
        {"drop-down", [&](bool other) { w.dropDown().setItemIndex(other ? 0 : 1); }, 0},
    };
    for (const auto& [control, set, handlerRuns] : rules) {
        SCOPED_TRACE(control);
        runs = 0;
        for (const bool other : {false, true, true}) {
            set(other);
        }
        EXPECT_EQ(runs, handlerRuns);
    }
    runs = 0;
    w.button().setEnabled(false);
    w.radio().setEnabled(false);
    w.clickButton();
    w.clickRadio(0);
    EXPECT_EQ(runs, 0) << "a disabled button or radio group";
    EXPECT_EQ(w.radio().itemIndex(), 2);
    w.radio().setItemIndex(7);
    const int high = w.radio().itemIndex();
    w.radio().setItemIndex(-5);
    w.dropDown().setItemIndex(7);
    EXPECT_EQ((std::vector{high, w.radio().itemIndex(), w.dropDown().itemIndex()}),
              (std::vector{2, -1, -1}));
    EXPECT_EQ(w.dropDown().text(), Gbk());
    auto& slider = w.slider();  // whose handler may move it again
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
}

// Captions, items, lines and rows come and go without a handler; Enter in a memo makes a line.
TEST_P(ControlContract, TextsItemsLinesAndRowsReadBackAsSetEvenRowBytesThatAreNotGbk) {
    auto& w = world();
    int runs = 0;
    countRuns(w, runs);
    auto& maps = w.dropDown();
    auto& memo = w.memo();
    w.button().setCaption(g("作战指挥室"));
    w.label().setCaption(g("用户:张三 R&D"));
    w.edit().setText(g("密码123"));
    maps.addItem(g("新地图"));
    memo.setText(g("左\n右"));  // a bare line feed becomes a line break
    memo.addLine(g("张三: 你好"));
    EXPECT_EQ((Texts{w.button().caption(), w.label().caption(), w.edit().text(), maps.item(3),
                     memo.text(), memo.line(2), memo.line(3), w.radio().item(2)}),
              (Texts{g("作战指挥室"), g("用户:张三 R&D"), g("密码123"), g("新地图"),
                     g("左\r\n右\r\n张三: 你好"), g("张三: 你好"), Gbk(), g("视野全开")}));
    EXPECT_EQ((std::vector{w.radio().count(), maps.count(), memo.lineCount()}),
              (std::vector{3, 4, 3}));
    maps.clear();
    memo.clear();
    EXPECT_EQ((std::vector{maps.itemIndex(), maps.count(), memo.lineCount()}),
              (std::vector{-1, 0, 0}));
    memo.addLine(g("系统消息: 欢迎"));
    EXPECT_EQ(memo.text(), g("系统消息: 欢迎"));
    EXPECT_EQ(runs, 2) << "only setting the edit's and the memo's text";
    // The line an Enter makes is there when the key is reported, marked if no change came
    // before it: an empty line shows whether the Enter's own change came first.
    memo.clear();
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
        w.typeLineIntoMemo(g(typed));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{g("第一句").bytes(), g("第二句").bytes(), ""}));
    EXPECT_EQ(memo.text(), g("第一句\r\n第二句\r\n\r\n"));
    // A chat view keeps its last lines only.
    memo.clear();
    memo.setLineLimit(3);
    for (const char* line : {"一", "二", "三", "四", "五"}) {
        memo.addLine(g(line));
    }
    EXPECT_EQ(memo.text(), g("三\r\n四\r\n五"));

    // A room's key may hold any bytes; a lossy round trip through the control would let one
    // row answer for another. Only the user's clicks select, and a selection moves with its row.
    auto& rooms = w.list();
    const Gbk longText(std::string(480, '\xB7'));  // 240 double-byte characters
    std::vector<std::string> events;
    rooms.onClick.set(
        [&] { events.push_back("click " + std::to_string(rooms.selected().value_or(-1))); });
    rooms.onDblClick.set(
        [&] { events.push_back("double " + std::to_string(rooms.selected().value_or(-1))); });
    const Gbk lone("\x81\x20");  // a lead byte without its trail byte
    const Gbk invalid("\xFF\xFE");
    const Gbk last("\xFE");  // a lead byte at the end
    const Gbk lossy("??");   // what a lossy round trip might make of them
    rooms.addRow(lossy, {longText});
    rooms.addRow(lone, {Gbk("\x80\xFF"), g("2")});
    rooms.addRow(invalid, {g("3")});
    rooms.addRow(last, {});
    rooms.addRow(g("ABC"), {});
    rooms.addRow(g("abc"), {});
    rooms.addRow(longText, {});
    rooms.setSubItem(3, 2, g("丙"));
    EXPECT_EQ((Texts{rooms.caption(1), rooms.subItem(1, 1), rooms.subItem(0, 1), rooms.caption(6),
                     rooms.subItem(3, 2), rooms.subItem(3, 1)}),
              (Texts{lone, Gbk("\x80\xFF"), longText, longText, g("丙"), Gbk()}));
    EXPECT_EQ((std::vector{rooms.findCaption(lone), rooms.findCaption(invalid),
                           rooms.findCaption(last), rooms.findCaption(lossy),
                           rooms.findCaption(g("abc")), rooms.findCaption(g("ab"))}),
              (std::vector<std::optional<int>>{1, 2, 3, 0, 5, std::nullopt}));
    EXPECT_EQ(rooms.selected(), std::nullopt);
    w.clickRow(5);
    w.doubleClickRow(4);  // selected before the handler runs
    EXPECT_EQ(events, (std::vector<std::string>{"click 5", "double 4"}));
    rooms.deleteRow(1);
    EXPECT_EQ((std::vector{rooms.findCaption(lone), rooms.findCaption(invalid), rooms.selected()}),
              (std::vector<std::optional<int>>{std::nullopt, 1, 3}));
    rooms.clear();
    EXPECT_TRUE(rooms.rowCount() == 0 && !rooms.selected());
    EXPECT_EQ(events.size(), 2U);

    // A row put in the middle moves the selection with it; the program selects without a
    // word; a click on a header names its column.
    for (const char* caption : {"a", "b", "c"}) {
        rooms.addRow(g(caption), {});
    }
    w.clickRow(1);
    EXPECT_EQ(rooms.insertRow(0, g("z"), {g("1")}), 0);
    EXPECT_EQ((Texts{rooms.caption(0), rooms.subItem(0, 1), rooms.caption(2)}),
              (Texts{g("z"), g("1"), g("b")}));
    EXPECT_EQ(rooms.selected(), 2);
    rooms.setSelected(3);
    EXPECT_EQ(rooms.selected(), 3);
    rooms.setSelected(std::nullopt);
    EXPECT_EQ(rooms.selected(), std::nullopt);
    int clicked = -1;
    rooms.onColumnClick = [&](int column) { clicked = column; };
    w.clickColumn(2);
    EXPECT_EQ(clicked, 2);
    EXPECT_EQ(events.size(), 3U);
}

// A chat view shows which lines name the user, line by line and past its bound; a text set as a
// whole is plain.
TEST_P(ControlContract, AChatViewKeepsEachLinesMarkWithinItsBound) {
    auto& view = world().view();
    view.setLineLimit(3);
    using enum forms::LineMark;
    const std::pair<const char*, forms::LineMark> lines[] = {{"一", Highlight},
                                                             {"二", Plain},
                                                             {"三>>张三", Highlight},
                                                             {"四", Plain},
                                                             {"五", Highlight}};
    for (const auto& [line, mark] : lines) {
        view.addLine(g(line), mark);
    }
    EXPECT_EQ(view.text(), g("三>>张三\r\n四\r\n五"));
    const auto marks = [&] {
        return std::vector{view.highlighted(0), view.highlighted(1), view.highlighted(2),
                           view.highlighted(3)};
    };
    EXPECT_EQ(marks(), (std::vector{true, false, true, false}));
    view.setText(g("甲\r\n乙\r\n丙"));
    EXPECT_EQ(marks(), (std::vector{false, false, false, false}));
}

}  // namespace
}  // namespace ardentis::testing
