#include <windows.h>

#include <commctrl.h>

#include <array>

#include "tests/win32_ui/test_resource.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/win32_drop_down.h"
#include "ui/win32/win32_list_view.h"

namespace ardentis::testing {
namespace {

using win32::ListColumn;
using win32::Win32DropDown;
using win32::Win32ListView;

using DropDownTest = ControlsDialogTest;

const std::array kMaps{g("Gods of War 2"), g("彗星捕手"), g("Shore to Shore")};

TEST_F(DropDownTest, ItemsAndSelectionReadBackFromTheCombo) {
    Win32DropDown maps(dialog, IDC_DROPDOWN, kMaps, 0);

    ASSERT_EQ(maps.count(), 3);
    EXPECT_EQ(SendMessageW(maps.handle(), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(maps.item(1), g("彗星捕手"));
    EXPECT_EQ(maps.item(3), text::Gbk());
    EXPECT_EQ(maps.item(-1), text::Gbk());
    EXPECT_EQ(maps.itemIndex(), 0);
    EXPECT_EQ(maps.text(), g("Gods of War 2"));
}

TEST_F(DropDownTest, ProgrammaticChangesRunNothing) {
    Win32DropDown maps(dialog, IDC_DROPDOWN, kMaps, 0);
    Runs runs;
    runs.wire(maps.onChange);

    maps.setItemIndex(1);
    EXPECT_EQ(maps.itemIndex(), 1);
    EXPECT_EQ(SendMessageW(maps.handle(), CB_GETCURSEL, 0, 0), 1);
    maps.setItemIndex(7);
    EXPECT_EQ(maps.itemIndex(), -1);
    maps.addItem(g("新地图"));
    EXPECT_EQ(maps.item(3), g("新地图"));
    maps.clear();
    EXPECT_EQ(maps.count(), 0);
    EXPECT_EQ(maps.itemIndex(), -1);
    EXPECT_EQ(maps.text(), text::Gbk());

    EXPECT_EQ(runs.count, 0);
}

TEST_F(DropDownTest, UserChoiceByKeyboardRunsOnChangeOnce) {
    Win32DropDown maps(dialog, IDC_DROPDOWN, kMaps, 0);
    Runs runs;
    runs.wire(maps.onChange);

    SendMessageW(maps.handle(), WM_KEYDOWN, VK_DOWN, 0);

    EXPECT_EQ(maps.itemIndex(), 1);
    EXPECT_EQ(runs.count, 1);
}

TEST_F(DropDownTest, UserChoiceNotificationRunsOnChangeOnce) {
    Win32DropDown maps(dialog, IDC_DROPDOWN, kMaps, 0);
    Runs runs;
    runs.wire(maps.onChange);

    SendMessageW(maps.handle(), CB_SETCURSEL, 2, 0);
    sendCommand(maps.handle(), CBN_SELCHANGE);

    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(maps.text(), g("Shore to Shore"));
}

using ListViewTest = ControlsDialogTest;

const std::array kPlayerColumns{ListColumn{g("帐号"), 50}, ListColumn{g("昵称"), 50},
                                ListColumn{g("准备"), 30}};

TEST_F(ListViewTest, ColumnsAndStyleComeFromTheConstructor) {
    Win32ListView players(dialog, IDC_LIST, kPlayerColumns);

    ASSERT_EQ(players.columnCount(), 3);
    EXPECT_EQ(players.columnCaption(0), g("帐号"));
    EXPECT_EQ(players.columnCaption(2), g("准备"));
    const auto extended = SendMessageW(players.handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_NE(extended & LVS_EX_FULLROWSELECT, 0);
    EXPECT_EQ(GetWindowLongPtrW(players.handle(), GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
}

TEST_F(ListViewTest, RowsAndSubItemsReadBack) {
    Win32ListView players(dialog, IDC_LIST, kPlayerColumns);

    EXPECT_EQ(players.addRow(g("zhangsan"), {g("张三"), g("就绪")}), 0);
    EXPECT_EQ(players.addRow(g("lisi"), {g("李四")}), 1);

    EXPECT_EQ(players.rowCount(), 2);
    EXPECT_EQ(players.caption(0), g("zhangsan"));
    EXPECT_EQ(players.subItem(0, 1), g("张三"));
    EXPECT_EQ(players.subItem(0, 2), g("就绪"));
    EXPECT_EQ(players.subItem(1, 2), text::Gbk());  // never set
    EXPECT_EQ(players.subItem(0, 0), text::Gbk());  // the caption is no sub-item
    EXPECT_EQ(players.subItem(0, 7), text::Gbk());
    EXPECT_EQ(players.caption(5), text::Gbk());

    players.setSubItem(1, 2, g("等待"));
    EXPECT_EQ(players.subItem(1, 2), g("等待"));
}

TEST_F(ListViewTest, LongTextReadsBackWhole) {
    Win32ListView players(dialog, IDC_LIST, kPlayerColumns);
    std::string longText;
    for (int i = 0; i < 60; ++i) {
        longText += "房间说明";
    }

    players.addRow(g(longText), {g(longText)});

    EXPECT_EQ(players.caption(0), g(longText));
    EXPECT_EQ(players.subItem(0, 1), g(longText));
}

TEST_F(ListViewTest, FindCaptionMatchesBytesExactly) {
    Win32ListView players(dialog, IDC_LIST, kPlayerColumns);
    players.addRow(g("abc"), {});
    players.addRow(g("ABC"), {});
    players.addRow(g("作战"), {});

    EXPECT_EQ(players.findCaption(g("ABC")), 1);
    EXPECT_EQ(players.findCaption(g("abc")), 0);
    EXPECT_EQ(players.findCaption(g("作战")), 2);
    EXPECT_EQ(players.findCaption(g("Abc")), std::nullopt);
    EXPECT_EQ(players.findCaption(g("ab")), std::nullopt);
}

TEST_F(ListViewTest, BytesThatAreNotGbkStillMatchTheirRow) {
    Win32ListView rooms(dialog, IDC_LIST, kPlayerColumns);
    const text::Gbk lone("\x81\x20");  // a lead byte without its trail byte
    const text::Gbk invalid("\xFF\xFE");
    const text::Gbk lossy("??");  // what a lossy round trip might make of either
    rooms.addRow(lossy, {g("别的房间")});
    rooms.addRow(lone, {text::Gbk("\x80\xFF"), g("2")});
    rooms.addRow(invalid, {g("3")});

    EXPECT_EQ(rooms.caption(1), lone);
    EXPECT_EQ(rooms.subItem(1, 1), text::Gbk("\x80\xFF"));
    EXPECT_EQ(rooms.findCaption(lone), 1);
    EXPECT_EQ(rooms.findCaption(invalid), 2);
    EXPECT_EQ(rooms.findCaption(lossy), 0);

    rooms.setSubItem(rooms.findCaption(invalid).value_or(-1), 1, text::Gbk("\xFE"));
    EXPECT_EQ(rooms.subItem(2, 1), text::Gbk("\xFE"));
    rooms.deleteRow(rooms.findCaption(lone).value_or(-1));
    EXPECT_EQ(rooms.rowCount(), 2);
    EXPECT_EQ(SendMessageW(rooms.handle(), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(rooms.findCaption(lone), std::nullopt);
    EXPECT_EQ(rooms.findCaption(invalid), 1);
    EXPECT_EQ(rooms.subItem(1, 1), text::Gbk("\xFE"));
    EXPECT_EQ(rooms.caption(0), lossy);
}

TEST_F(ListViewTest, DeleteShiftsRowsAndClearEmpties) {
    Win32ListView players(dialog, IDC_LIST, kPlayerColumns);
    players.addRow(g("a"), {});
    players.addRow(g("b"), {});
    players.addRow(g("c"), {});

    players.deleteRow(1);
    players.deleteRow(9);

    EXPECT_EQ(players.rowCount(), 2);
    EXPECT_EQ(players.caption(1), g("c"));
    players.clear();
    EXPECT_EQ(players.rowCount(), 0);
}

TEST_F(ListViewTest, ClicksSelectTheRowFirstThenRunTheirHandlerOnce) {
    Win32ListView players(dialog, IDC_LIST, kPlayerColumns);
    players.addRow(g("a"), {});
    players.addRow(g("b"), {});
    std::optional<int> selectedAtClick;
    int clicks = 0;
    players.onClick.set([&] {
        ++clicks;
        selectedAtClick = players.selected();
    });
    Runs doubleClicks;
    doubleClicks.wire(players.onDblClick);
    EXPECT_EQ(players.selected(), std::nullopt);

    sendItemNotify(players.handle(), NM_CLICK, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(selectedAtClick, 1);
    EXPECT_EQ(doubleClicks.count, 0);

    sendItemNotify(players.handle(), NM_DBLCLK, 0);
    EXPECT_EQ(doubleClicks.count, 1);
    EXPECT_EQ(players.selected(), 0);
    EXPECT_EQ(clicks, 1);

    sendItemNotify(players.handle(), NM_CLICK, -1);  // the empty part of the list
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(players.selected(), std::nullopt);
}

TEST_F(ListViewTest, MouseClickOnARowSelectsItAndRunsOnClickOnce) {
    Win32ListView players(dialog, IDC_LIST, kPlayerColumns);
    players.addRow(g("a"), {g("甲")});
    players.addRow(g("b"), {g("乙")});
    Runs clicks;
    clicks.wire(players.onClick);
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
}

TEST_F(ListViewTest, ProgrammaticChangesRunNothing) {
    Win32ListView players(dialog, IDC_LIST, kPlayerColumns);
    Runs runs;
    runs.wire(players.onClick);
    runs.wire(players.onDblClick);

    players.addRow(g("a"), {g("甲")});
    players.setSubItem(0, 1, g("乙"));
    sendItemNotify(players.handle(), NM_CLICK, 0);
    runs.count = 0;
    players.deleteRow(0);
    players.clear();

    EXPECT_EQ(runs.count, 0);
    EXPECT_EQ(players.selected(), std::nullopt);
}

}  // namespace
}  // namespace ardentis::testing
