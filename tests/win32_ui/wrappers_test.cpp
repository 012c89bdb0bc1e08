// One smoke test per control wrapper on the tests' real dialog: GBK text through the W API,
// which programmatic change runs a handler (the core's rule, not the control's habit), and
// the user's action running it once.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/win32_ui/test_resource.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/handler_failure.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_check_box.h"
#include "ui/win32/win32_drop_down.h"
#include "ui/win32/win32_edit.h"
#include "ui/win32/win32_label.h"
#include "ui/win32/win32_list_view.h"
#include "ui/win32/win32_memo.h"
#include "ui/win32/win32_radio_group.h"
#include "ui/win32/win32_slider.h"

namespace ardentis::testing {
namespace {

using namespace win32;
using WrapperTest = ControlsDialogTest;
using ListViewTest = ControlsDialogTest;

int checkOf(HWND button) {
    return static_cast<int>(SendMessageW(button, BM_GETCHECK, 0, 0));
}

void typeText(HWND edit, std::wstring_view typed) {
    for (const wchar_t c : typed) {
        SendMessageW(edit, WM_CHAR, c, 1);
    }
}

TEST_F(WrapperTest, ButtonAndLabel) {
    Win32Button button(dialog, IDC_BUTTON);
    Runs runs;
    runs.wire(button.onClick);
    EXPECT_EQ(button.caption(), g("创建"));  // from the UTF-8 resource
    button.setCaption(g("作战指挥室"));
    EXPECT_EQ(wideText(button.handle()), L"作战指挥室");
    EXPECT_EQ(button.caption(), g("作战指挥室"));
    button.setEnabled(false);
    SendMessageW(button.handle(), BM_CLICK, 0, 0);
    sendCommand(button.handle(), BN_CLICKED);  // as Enter on a default button sends it
    EXPECT_EQ(runs.count, 0);
    button.setEnabled(true);
    SendMessageW(button.handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(runs.count, 1);

    Win32Button picture(dialog, IDC_PICTURE);  // a clickable picture
    runs.wire(picture.onClick);
    SendMessageW(picture.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(picture.handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(runs.count, 2);

    Win32Label label(dialog, IDC_LABEL);
    EXPECT_EQ(label.caption(), g("玩家数量:"));
    label.setCaption(g("用户:张三 R&D"));
    EXPECT_EQ(wideText(label.handle()), L"用户:张三 R&D");
    EXPECT_EQ(label.caption(), g("用户:张三 R&D"));
    EXPECT_NE(GetWindowLongPtrW(label.handle(), GWL_STYLE) & SS_NOPREFIX, 0);
}

TEST_F(WrapperTest, HandlerExceptionIsReportedAndStaysOutOfUser32) {
    std::string reported;
    setFailureSink([&](const std::string& message) { reported = message; });
    Win32Button button(dialog, IDC_BUTTON);
    button.onClick.set([] { throw std::runtime_error("boom"); });
    SendMessageW(button.handle(), BM_CLICK, 0, 0);
    setFailureSink(nullptr);
    EXPECT_NE(reported.find("boom"), std::string::npos) << reported;
    EXPECT_TRUE(IsWindow(dialog.handle()));
}

TEST_F(WrapperTest, CheckBox) {
    EXPECT_THROW(Win32CheckBox(dialog, IDC_PLAIN_CHECK), std::invalid_argument);
    Win32CheckBox box(dialog, IDC_CHECK);
    Runs runs;
    runs.wire(box.onClick);
    EXPECT_EQ(box.caption(), g("准备就绪"));
    box.setChecked(true);  // a programmatic change runs onClick, once per change
    box.setChecked(true);
    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(checkOf(box.handle()), BST_CHECKED);
    SendMessageW(box.handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(runs.count, 2);
    EXPECT_FALSE(box.checked());
}

TEST_F(WrapperTest, RadioGroup) {
    const std::array sight{g("真实视野"), g("圆形视野"), g("视野全开")};
    Win32RadioGroup group(dialog, IDC_GROUP, IDC_GROUP_ITEMS, sight, 1, 3);
    Runs runs;
    runs.wire(group.onClick);
    ASSERT_EQ(group.count(), 3);
    EXPECT_EQ(wideText(group.button(2)), L"视野全开");
    EXPECT_EQ(checkOf(group.button(1)), BST_CHECKED);
    group.setItemIndex(2);  // runs onClick when the selection changes
    group.setItemIndex(2);
    group.setItemIndex(9);  // clamped to the last, the one selected
    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(checkOf(group.button(1)), BST_UNCHECKED);
    SendMessageW(group.button(0), BM_CLICK, 0, 0);
    EXPECT_EQ(runs.count, 2);
    EXPECT_EQ(group.itemIndex(), 0);
    group.setEnabled(false);
    sendCommand(group.button(2), BN_CLICKED);
    EXPECT_EQ(runs.count, 2);
    EXPECT_EQ(group.itemIndex(), 0);
}

TEST_F(WrapperTest, Slider) {
    Win32Slider slider(dialog, IDC_SLIDER, 0, 10, 1);
    Runs runs;
    runs.wire(slider.onChange);
    slider.setPosition(4);  // runs onChange when the position changes
    slider.setPosition(4);
    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(SendMessageW(slider.handle(), TBM_GETPOS, 0, 0), 4);
    slider.setPosition(99);
    EXPECT_EQ(slider.position(), 10);
    EXPECT_EQ(runs.count, 2);
    SendMessageW(slider.handle(), WM_KEYDOWN, VK_LEFT, 0);
    SendMessageW(slider.handle(), WM_KEYUP, VK_LEFT, 0);
    EXPECT_EQ(slider.position(), 9);
    EXPECT_EQ(runs.count, 3);
}

TEST_F(WrapperTest, Edit) {
    Win32Edit edit(dialog, IDC_EDIT, EditEcho::Masked);
    Runs runs;
    runs.wire(edit.onChange);
    edit.setText(g("密码123"));  // the interface's run; the control's own EN_CHANGE is dropped
    edit.setText(g("密码123"));
    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(wideText(edit.handle()), L"密码123");
    EXPECT_EQ(SendMessageW(edit.handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    SetWindowTextW(edit.handle(), L"");
    runs.count = 0;
    typeText(edit.handle(), L"战1");
    EXPECT_EQ(runs.count, 2);
    EXPECT_EQ(edit.text(), g("战1"));
    SetWindowTextW(edit.handle(), L"a\u20A9b");  // the won sign is not in GBK
    EXPECT_EQ(edit.text(), g("a?b"));
}

TEST_F(WrapperTest, Memo) {
    EXPECT_THROW(Win32Memo(dialog, IDC_EDIT), std::invalid_argument);
    Win32Memo view(dialog, IDC_VIEW_MEMO, MemoAccess::ReadOnly);
    Runs runs;
    runs.wire(view.onChange);
    view.addLine(g("系统消息: 欢迎"));  // adding and clearing run nothing
    view.addLine(g("张三: 你好"));
    EXPECT_EQ(wideText(view.handle()), L"系统消息: 欢迎\r\n张三: 你好");
    EXPECT_EQ(view.line(1), g("张三: 你好"));
    typeText(view.handle(), L"x");
    view.clear();
    EXPECT_EQ(runs.count, 0);
    EXPECT_EQ(view.lineCount(), 0);
    view.setText(g("上\r\n下"));  // setting the text runs onChange, once per change
    view.setText(g("上\r\n下"));
    EXPECT_EQ(runs.count, 1);
    view.setText(g("左\n右"));  // a bare line feed becomes a line break
    EXPECT_EQ(wideText(view.handle()), L"左\r\n右");
    std::string longLine;
    for (int i = 0; i < 40; ++i) {
        longLine += "很长的聊天内容";
    }
    view.setText(g(longLine));
    ASSERT_GT(SendMessageW(view.handle(), EM_GETLINECOUNT, 0, 0), 1);  // the control wraps it
    EXPECT_EQ(view.lineCount(), 1);

    // Enter typed into the chat line: the line is made first, then the key is reported.
    Win32Memo chat(dialog, IDC_MEMO);
    std::vector<std::string> events;
    chat.onChange.set([&] { events.emplace_back("change"); });
    chat.onKeyDown = [&](int key) {
        if (key == forms::Memo::kEnter) {
            events.push_back("enter " + chat.line(chat.caretLine() - 1).bytes());
        }
    };
    for (const wchar_t* typed : {L"第一句", L"第二句"}) {
        typeText(chat.handle(), typed);
        SendMessageW(chat.handle(), WM_KEYDOWN, VK_RETURN, 1);
        SendMessageW(chat.handle(), WM_CHAR, L'\r', 1);
        SendMessageW(chat.handle(), WM_KEYUP, VK_RETURN, 1);
    }
    ASSERT_GE(events.size(), 4U);
    EXPECT_EQ(events[events.size() - 2], "change");
    EXPECT_EQ(events.back(), "enter " + g("第二句").bytes());
    EXPECT_EQ(std::count(events.begin(), events.end(), "enter " + g("第一句").bytes()), 1);
}

TEST_F(WrapperTest, DropDown) {
    const std::array maps{g("Gods of War 2"), g("彗星捕手"), g("Shore to Shore")};
    Win32DropDown list(dialog, IDC_DROPDOWN, maps, 0);
    Runs runs;
    runs.wire(list.onChange);
    EXPECT_EQ(list.item(1), g("彗星捕手"));
    list.setItemIndex(1);  // programmatic changes run nothing
    EXPECT_EQ(SendMessageW(list.handle(), CB_GETCURSEL, 0, 0), 1);
    list.addItem(g("新地图"));
    EXPECT_EQ(list.item(3), g("新地图"));
    EXPECT_EQ(runs.count, 0);
    SendMessageW(list.handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(list.itemIndex(), 2);
    EXPECT_EQ(list.text(), g("Shore to Shore"));
    EXPECT_EQ(runs.count, 1);
    list.clear();
    EXPECT_EQ(list.itemIndex(), -1);
    EXPECT_EQ(runs.count, 1);
}

const std::array kColumns{ListColumn{g("帐号"), 50}, ListColumn{g("昵称"), 50},
                          ListColumn{g("准备"), 30}};

TEST_F(ListViewTest, RowsReadBackAndOnlyTheUsersClicksRunHandlers) {
    Win32ListView players(dialog, IDC_LIST, kColumns);
    Runs clicks;
    Runs doubleClicks;
    clicks.wire(players.onClick);
    doubleClicks.wire(players.onDblClick);
    EXPECT_EQ(players.columnCaption(2), g("准备"));
    std::string longText;
    for (int i = 0; i < 60; ++i) {
        longText += "房间说明";
    }
    players.addRow(g("a"), {g("甲"), g("就绪")});
    players.addRow(g(longText), {g(longText)});
    players.addRow(g("c"), {});
    players.setSubItem(2, 1, g("丙"));
    players.deleteRow(0);
    EXPECT_EQ(players.caption(0), g(longText));
    EXPECT_EQ(players.subItem(0, 1), g(longText));
    EXPECT_EQ(players.subItem(1, 1), g("丙"));
    EXPECT_EQ(players.subItem(1, 2), text::Gbk());
    EXPECT_EQ(clicks.count + doubleClicks.count, 0);

    RECT row{};
    row.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(players.handle(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
    const LPARAM point = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    // The button's release is queued first: the list view looks for it before it reports.
    PostMessageW(players.handle(), WM_LBUTTONUP, 0, point);
    SendMessageW(players.handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    runPending();
    EXPECT_EQ(players.selected(), 1);
    EXPECT_EQ(clicks.count, 1);
    sendItemNotify(players.handle(), NM_DBLCLK, 0);
    EXPECT_EQ(players.selected(), 0);  // selected before the handler runs
    EXPECT_EQ(doubleClicks.count, 1);
    players.clear();
    EXPECT_EQ(players.rowCount(), 0);
    EXPECT_EQ(clicks.count + doubleClicks.count, 2);
}

TEST_F(ListViewTest, BytesThatAreNotGbkStillMatchTheirRow) {
    Win32ListView rooms(dialog, IDC_LIST, kColumns);
    const text::Gbk lone("\x81\x20");  // a lead byte without its trail byte
    const text::Gbk invalid("\xFF\xFE");
    const text::Gbk lossy("??");  // what a lossy round trip might make of either
    rooms.addRow(lossy, {g("别的房间")});
    rooms.addRow(lone, {text::Gbk("\x80\xFF"), g("2")});
    rooms.addRow(invalid, {g("3")});
    rooms.addRow(g("ABC"), {});
    rooms.addRow(g("abc"), {});

    EXPECT_EQ(rooms.caption(1), lone);
    EXPECT_EQ(rooms.subItem(1, 1), text::Gbk("\x80\xFF"));
    EXPECT_EQ(rooms.findCaption(lone), 1);
    EXPECT_EQ(rooms.findCaption(invalid), 2);
    EXPECT_EQ(rooms.findCaption(lossy), 0);
    EXPECT_EQ(rooms.findCaption(g("abc")), 4);
    EXPECT_EQ(rooms.findCaption(g("ab")), std::nullopt);
    rooms.deleteRow(rooms.findCaption(lone).value_or(-1));
    EXPECT_EQ(SendMessageW(rooms.handle(), LVM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(rooms.findCaption(lone), std::nullopt);
    EXPECT_EQ(rooms.findCaption(invalid), 1);
}

}  // namespace
}  // namespace ardentis::testing
