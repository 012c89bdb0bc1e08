#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/win32_ui/test_resource.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/win32_memo.h"

namespace ardentis::testing {
namespace {

using win32::MemoAccess;
using win32::Win32Memo;

using MemoTest = ControlsDialogTest;

void typeText(HWND edit, std::wstring_view typed) {
    for (const wchar_t c : typed) {
        SendMessageW(edit, WM_CHAR, c, 1);
    }
}

// Enter as the keyboard gives it: the key goes down, its character comes, the key goes up.
void pressEnter(HWND edit) {
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(edit, WM_CHAR, L'\r', 1);
    SendMessageW(edit, WM_KEYUP, VK_RETURN, 1);
}

TEST_F(MemoTest, AddedLinesReadBackWithoutRunningAnything) {
    Win32Memo memo(dialog, IDC_VIEW_MEMO, MemoAccess::ReadOnly);
    Runs runs;
    runs.wire(memo.onChange);
    EXPECT_EQ(memo.lineCount(), 0);

    memo.addLine(g("系统消息: 欢迎"));
    memo.addLine(g("张三: 你好"));

    EXPECT_EQ(runs.count, 0);
    EXPECT_EQ(memo.lineCount(), 2);
    EXPECT_EQ(memo.line(0), g("系统消息: 欢迎"));
    EXPECT_EQ(memo.line(1), g("张三: 你好"));
    EXPECT_EQ(memo.line(2), text::Gbk());
    EXPECT_EQ(memo.line(-1), text::Gbk());
    EXPECT_EQ(memo.text(), g("系统消息: 欢迎\r\n张三: 你好"));
    EXPECT_EQ(wideText(memo.handle()), L"系统消息: 欢迎\r\n张三: 你好");
    EXPECT_EQ(memo.caretLine(), 1);
}

TEST_F(MemoTest, ClearRunsNothingAndLeavesNoLines) {
    Win32Memo memo(dialog, IDC_VIEW_MEMO);
    Runs runs;
    runs.wire(memo.onChange);
    memo.addLine(g("一"));

    memo.clear();

    EXPECT_EQ(runs.count, 0);
    EXPECT_EQ(memo.lineCount(), 0);
    EXPECT_EQ(memo.text(), text::Gbk());
}

TEST_F(MemoTest, SetTextRunsOnChangeOnceAndBareLineFeedsBecomeLineBreaks) {
    Win32Memo memo(dialog, IDC_VIEW_MEMO);
    Runs runs;
    runs.wire(memo.onChange);

    memo.setText(g("欢迎加入战斗\r\n第二行"));
    EXPECT_EQ(runs.count, 1);
    memo.setText(g("欢迎加入战斗\r\n第二行"));
    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(memo.lineCount(), 2);

    memo.setText(g("上\n下"));
    EXPECT_EQ(wideText(memo.handle()), L"上\r\n下");
    EXPECT_EQ(memo.line(1), g("下"));
}

TEST_F(MemoTest, TypedEnterRunsKeyDownAfterTheLineIsMade) {
    Win32Memo memo(dialog, IDC_MEMO);
    std::vector<std::string> events;
    memo.onChange.set([&] { events.emplace_back("change"); });
    int keyDowns = 0;
    text::Gbk lineAbove;
    memo.onKeyDown = [&](int key) {
        if (key == forms::Memo::kEnter) {
            ++keyDowns;
            events.emplace_back("enter");
            lineAbove = memo.line(memo.caretLine() - 1);
        }
    };

    typeText(memo.handle(), L"大家好");
    pressEnter(memo.handle());

    EXPECT_EQ(keyDowns, 1);
    EXPECT_EQ(lineAbove, g("大家好"));
    EXPECT_EQ(memo.caretLine(), 1);
    EXPECT_EQ(memo.lineCount(), 2);
    EXPECT_EQ(memo.text(), g("大家好\r\n"));
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2], "change");  // Enter's own change comes first
    EXPECT_EQ(events.back(), "enter");
}

TEST_F(MemoTest, SecondLineTypedIsTheOneAboveTheCaret) {
    Win32Memo memo(dialog, IDC_MEMO);
    std::vector<text::Gbk> sent;
    memo.onKeyDown = [&](int key) {
        if (key == forms::Memo::kEnter) {
            sent.push_back(memo.line(memo.caretLine() - 1));
        }
    };

    typeText(memo.handle(), L"第一句");
    pressEnter(memo.handle());
    typeText(memo.handle(), L"第二句");
    pressEnter(memo.handle());

    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], g("第一句"));
    EXPECT_EQ(sent[1], g("第二句"));
}

TEST_F(MemoTest, WrappedLongLineCountsAsOneLine) {
    Win32Memo memo(dialog, IDC_VIEW_MEMO);
    std::string longLine;
    for (int i = 0; i < 40; ++i) {
        longLine += "很长的聊天内容";
    }

    memo.setText(g(longLine));

    ASSERT_GT(SendMessageW(memo.handle(), EM_GETLINECOUNT, 0, 0), 1);  // the control wraps it
    EXPECT_EQ(memo.lineCount(), 1);
    EXPECT_EQ(memo.line(0), g(longLine));
}

TEST_F(MemoTest, ReadOnlyMemoIgnoresTyping) {
    Win32Memo memo(dialog, IDC_VIEW_MEMO, MemoAccess::ReadOnly);
    Runs runs;
    runs.wire(memo.onChange);

    typeText(memo.handle(), L"x");

    EXPECT_NE(GetWindowLongPtrW(memo.handle(), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(memo.text(), text::Gbk());
    EXPECT_EQ(runs.count, 0);
}

TEST_F(MemoTest, RefusesAOneLineEdit) {
    EXPECT_THROW(Win32Memo(dialog, IDC_EDIT), std::invalid_argument);
}

}  // namespace
}  // namespace ardentis::testing
