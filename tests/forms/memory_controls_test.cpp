#include <gtest/gtest.h>

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

}  // namespace
}  // namespace ardentis::forms
