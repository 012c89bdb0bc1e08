#include <gtest/gtest.h>

#include "controls/memory/memory_list_view.h"
#include "controls/memory/memory_memo.h"

namespace ardentis::forms {
namespace {

using text::Gbk;

TEST(MemoryMemo, EnterLeavesTheTypedLineJustAboveTheCaret) {
    MemoryMemo memo;
    std::vector<Gbk> sent;
    memo.onKeyDown = [&](int key) {
        if (key == Memo::kEnter) {
            sent.push_back(memo.line(memo.caretLine() - 1));
        }
    };
    memo.typeLine(Gbk("first"));
    memo.typeLine(Gbk("second"));
    memo.pressEnter();  // an empty line
    EXPECT_EQ(sent, (std::vector<Gbk>{Gbk("first"), Gbk("second"), Gbk()}));
    EXPECT_EQ(memo.text(), Gbk("first\r\nsecond\r\n\r\n"));
}

TEST(MemoryMemo, SetTextSplitsLinesAndClearEmpties) {
    MemoryMemo memo;
    memo.setText(Gbk("a\r\nb\nc"));
    ASSERT_EQ(memo.lineCount(), 3);
    EXPECT_EQ(memo.line(1), Gbk("b"));
    EXPECT_EQ(memo.line(3), Gbk());
    memo.clear();
    EXPECT_EQ(memo.lineCount(), 0);
    EXPECT_EQ(memo.text(), Gbk());
}

TEST(MemoryListView, RowsKeepTheirOrderAndSelectionFollowsDeletes) {
    MemoryListView list;
    list.addRow(Gbk("r1"), {Gbk("a"), Gbk("b")});
    list.addRow(Gbk("r2"), {Gbk("c")});
    list.addRow(Gbk("r1"), {});
    EXPECT_EQ(list.findCaption(Gbk("r1")), 0);
    EXPECT_EQ(list.findCaption(Gbk("r3")), std::nullopt);
    EXPECT_EQ(list.subItem(1, 1), Gbk("c"));
    EXPECT_EQ(list.subItem(1, 2), Gbk());
    list.setSubItem(2, 3, Gbk("x"));
    EXPECT_EQ(list.subItem(2, 3), Gbk("x"));

    list.click(2);
    list.deleteRow(0);
    EXPECT_EQ(list.selected(), 1);
    EXPECT_EQ(list.findCaption(Gbk("r1")), 1);
    list.deleteRow(1);
    EXPECT_EQ(list.selected(), std::nullopt);
}

TEST(MemoryListView, ADoubleClickOnTheEmptyPartLeavesNoSelection) {
    MemoryListView list;
    list.addRow(Gbk("r1"), {});
    int doubleClicks = 0;
    list.onDblClick.set([&] { ++doubleClicks; });
    list.doubleClick(0);
    EXPECT_EQ(list.selected(), 0);
    list.doubleClick(std::nullopt);
    EXPECT_EQ(list.selected(), std::nullopt);
    EXPECT_EQ(doubleClicks, 2);
}

}  // namespace
}  // namespace ardentis::forms
