// The Win32 wrappers under the control contract on the tests' real dialog, and what only
// Win32 has: the text the window shows through the W API, styles, pages on tabs, the
// window's close, the dialog font and its DPI, a handler's exception kept out of user32.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/win32/wide_text.h"
#include "tests/forms/control_contract.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/dialog_font.h"
#include "ui/win32/handler_failure.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_check_box.h"
#include "ui/win32/win32_drop_down.h"
#include "ui/win32/win32_edit.h"
#include "ui/win32/win32_label.h"
#include "ui/win32/win32_list_view.h"
#include "ui/win32/win32_memo.h"
#include "ui/win32/win32_page.h"
#include "ui/win32/win32_radio_group.h"
#include "ui/win32/win32_slider.h"
#include "ui/win32/win32_tab_control.h"
#include "ui/win32/win32_window.h"

namespace ardentis::testing {
namespace {

using namespace win32;

void type(HWND control, const text::Gbk& typed) {
    for (const wchar_t c : platform::gbkToWideLossy(typed.view())) {
        SendMessageW(control, WM_CHAR, c, 1);
    }
}

void key(HWND control, WPARAM key) {
    SendMessageW(control, WM_KEYDOWN, key, 1);
    SendMessageW(control, WM_KEYUP, key, 1);
}

// A click as the user makes it; a disabled button still gets the command Enter sends.
void click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    if (IsWindowEnabled(button) == FALSE) {
        SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    }
}

HFONT fontOf(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
}

bool shown(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

const std::array kMaps{g("Gods of War 2"), g("彗星捕手"), g("Shore to Shore")};
const std::array kSight{g("真实视野"), g("圆形视野"), g("视野全开")};
const std::array kColumns{ListColumn{g("帐号"), 50}, ListColumn{g("昵称"), 50},
                          ListColumn{g("准备"), 30}};

struct Win32Controls {
    Dialog dialog{controlsTemplate()};
    Win32Button button{dialog, IDC_BUTTON};
    Win32Label label{dialog, IDC_LABEL};
    Win32CheckBox check{dialog, IDC_CHECK};
    Win32RadioGroup radio{dialog, IDC_GROUP, IDC_GROUP_ITEMS, kSight, 1, 3};
    Win32Slider slider{dialog, IDC_SLIDER, 0, 10, 1};
    Win32Edit edit{dialog, IDC_EDIT};
    Win32Memo memo{dialog, IDC_MEMO};
    Win32DropDown maps{dialog, IDC_DROPDOWN, kMaps, 0};
    Win32ListView list{dialog, IDC_LIST, kColumns};
};

struct Win32World final : ControlWorldOf<Win32Controls> {
    Win32World() { showDialog(c.dialog); }
    void clickButton() override { click(c.button.handle()); }
    void clickCheckBox() override { click(c.check.handle()); }
    void clickRadio(int index) override { click(c.radio.button(index)); }
    void stepSliderLeft() override { key(c.slider.handle(), VK_LEFT); }
    void typeIntoEdit(const text::Gbk& typed) override { type(c.edit.handle(), typed); }
    void typeLineIntoMemo(const text::Gbk& typed) override {
        type(c.memo.handle(), typed);
        SendMessageW(c.memo.handle(), WM_KEYDOWN, VK_RETURN, 1);
        SendMessageW(c.memo.handle(), WM_CHAR, L'\r', 1);
        SendMessageW(c.memo.handle(), WM_KEYUP, VK_RETURN, 1);
    }
    void chooseNextInDropDown() override { key(c.maps.handle(), VK_DOWN); }
    void clickRow(int row) override {
        RECT bounds{};  // left = LVIR_BOUNDS
        SendMessageW(c.list.handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&bounds));
        const LPARAM point =
            MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
        // The release is queued first: the list view looks for it before it reports.
        PostMessageW(c.list.handle(), WM_LBUTTONUP, 0, point);
        SendMessageW(c.list.handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        runPending();
    }
    void doubleClickRow(int row) override {
        NMITEMACTIVATE notify{};
        notify.hdr = {c.list.handle(), IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
        notify.iItem = row;
        SendMessageW(c.dialog.handle(), WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&notify));
    }
};

CONTRACT_WORLD(Win32, ControlContract, Win32World, ControlWorld);

TEST(Win32Wrappers, TextsShowThroughTheWideApiAndStylesDoWhatTheUserSees) {
    Win32World w;
    Dialog& dialog = w.c.dialog;
    w.c.label.setCaption(g("用户:张三 R&D"));
    EXPECT_EQ(wideWindowText(w.c.label.handle()), L"用户:张三 R&D");
    EXPECT_NE(GetWindowLongPtrW(w.c.label.handle(), GWL_STYLE) & SS_NOPREFIX, 0) << "& as is";
    w.c.list.addRow(g("房间"), {g("说明")});
    wchar_t cell[16] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = cell;
    item.cchTextMax = 16;
    SendMessageW(w.c.list.handle(), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(cell), L"说明");

    Win32Edit password(dialog, IDC_PASSWORD, EditEcho::Masked);
    EXPECT_EQ(SendMessageW(password.handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    SetWindowTextW(password.handle(), L"a\u20A9b");  // the won sign is not in GBK
    EXPECT_EQ(password.text(), g("a?b"));
    Win32Memo view(dialog, IDC_VIEW_MEMO, MemoAccess::ReadOnly);
    view.setText(g("上\n下"));
    EXPECT_EQ(wideWindowText(view.handle()), L"上\r\n下");
    std::string longLine;
    for (int i = 0; i < 40; ++i) {
        longLine += "很长的聊天内容";
    }
    view.setText(g(longLine));
    ASSERT_GT(SendMessageW(view.handle(), EM_GETLINECOUNT, 0, 0), 1);  // the control wraps it
    EXPECT_EQ(view.lineCount(), 1);
    Runs runs;
    runs.wire(view.onChange);
    type(view.handle(), g("x"));
    EXPECT_EQ(runs.count, 0) << "a read-only view takes no typing";
    Win32Button picture(dialog, IDC_PICTURE);  // a clickable picture
    runs.wire(picture.onClick);
    SendMessageW(picture.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(picture.handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(runs.count, 1);
}

TEST(Win32Wrappers, WrongTemplatesAndIdsAreRefusedAndAHandlerExceptionStaysOutOfUser32) {
    Win32World w;
    Dialog& dialog = w.c.dialog;
    EXPECT_THROW(Win32CheckBox(dialog, IDC_PLAIN_CHECK), std::invalid_argument);
    EXPECT_THROW(Win32Memo(dialog, IDC_PASSWORD), std::invalid_argument);
    EXPECT_THROW((void)dialog.item(4242), std::invalid_argument);
    EXPECT_THROW(Dialog(4242), std::runtime_error);
    EXPECT_THROW(Win32Button(dialog, IDC_BUTTON), std::logic_error);
    std::string reported;
    setFailureSink([&](const std::string& message) { reported = message; });
    w.c.button.onClick.set([] { throw std::runtime_error("boom"); });
    SendMessageW(w.c.button.handle(), BM_CLICK, 0, 0);
    setFailureSink(nullptr);
    EXPECT_NE(reported.find("boom"), std::string::npos) << reported;
    EXPECT_TRUE(IsWindow(dialog.handle()));
}

// Three pages on the tab control, the middle one without its tab at first.
TEST_F(ControlsDialogTest, OnlyVisiblePagesHaveTabsInOrderAndOnlyTheActiveOneShows) {
    Win32TabControl tabs{dialog, IDC_TABS};
    Dialog basicPage{IDD_PAGE, dialog};
    Dialog optionsPage{IDD_PAGE, dialog};
    Dialog managePage{IDD_PAGE, dialog};
    Win32Page basic{tabs, basicPage, 0, g("基本设置")};
    Win32Page options{tabs, optionsPage, 1, g("选项"), false};
    Win32Page manage{tabs, managePage, 2, g("房间管理")};
    const auto tabText = [&](int index) {
        wchar_t buffer[64] = {};
        TCITEMW item{TCIF_TEXT, 0, 0, buffer, 64, 0, 0};
        SendMessageW(tabs.handle(), TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        return std::wstring(buffer);
    };
    EXPECT_EQ(tabs.tabCount(), 2);
    EXPECT_EQ(tabText(1), L"房间管理");
    options.activate();  // no tab: nothing happens
    EXPECT_TRUE(basic.active());
    options.setVisible(true);
    ASSERT_EQ(tabs.tabCount(), 3);
    EXPECT_EQ(tabText(1), L"选项");
    EXPECT_TRUE(basic.active());  // showing a tab does not select it
    // The user's tab change shows that page, and a page's controls route through it.
    SendMessageW(tabs.handle(), TCM_SETCURSEL, 2, 0);
    NMHDR change{tabs.handle(), IDC_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(dialog.handle(), WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&change));
    EXPECT_TRUE(manage.active() && shown(manage.handle()));
    EXPECT_FALSE(shown(basic.handle()) || shown(options.handle()));
    Win32Button start(managePage, IDC_PAGE_BUTTON);
    Runs runs;
    runs.wire(start.onClick);
    SendMessageW(start.handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(runs.count, 1);
    manage.setVisible(false);  // hiding the active page activates the next tab
    EXPECT_EQ(tabs.tabCount(), 2);
    EXPECT_TRUE(options.active() && shown(options.handle()));
    basic.activate();
    EXPECT_EQ(SendMessageW(tabs.handle(), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(shown(basic.handle()));
}

// The show, hide and close rules are the window's own; what Win32 adds is the system's
// close request (the close button, Alt+F4) reaching them.
TEST_F(ControlsDialogTest, TheSystemsCloseRequestsAskFirstAndAnAllowedOneHidesAndCloses) {
    Win32Window window(dialog);
    EXPECT_EQ(window.caption(), g("作战指挥室"));
    window.setCaption(g("Ardentis启动中"));
    EXPECT_EQ(wideWindowText(window.handle()), L"Ardentis启动中");
    Runs hides;
    Runs closes;
    hides.wire(window.onHide);
    closes.wire(window.onClose);
    bool allow = false;
    int queries = 0;
    window.onCloseQuery = [&] { return ++queries, allow; };
    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    SendMessageW(window.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    runPending();
    EXPECT_EQ(queries, 2);
    EXPECT_EQ(closes.count + hides.count, 0);
    EXPECT_TRUE(window.visible());
    allow = true;
    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(hides.count, 1);
    EXPECT_EQ(closes.count, 1);
    EXPECT_FALSE(IsWindowVisible(window.handle()));
    EXPECT_TRUE(IsWindow(window.handle()));  // destroying it is the owner's business
}

TEST_F(ControlsDialogTest, ChildrenAndPagesShowTheChineseFontAndANewDpiEnlargesItInPlace) {
    Dialog page(IDD_PAGE, dialog);
    HFONT font = dialog.font();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(fontOf(dialog.item(IDC_LIST)), font);
    LOGFONTW before{};
    GetObjectW(font, sizeof before, &before);
    EXPECT_EQ(std::wstring(before.lfFaceName), chineseFace());
    // Latin letters and punctuation too: some Chinese faces have none.
    const std::wstring texts = L"Version: 1.0 (zhangsan) 作战指挥室准备就绪游戏大厅请输入房间密码";
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    std::wstring glyphs(texts.size(), L'\0');
    const DWORD converted =
        GetGlyphIndicesW(screen, texts.c_str(), static_cast<int>(texts.size()),
                         reinterpret_cast<WORD*>(glyphs.data()), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(converted, texts.size());
    EXPECT_EQ(glyphs.find(static_cast<wchar_t>(0xFFFF)), std::wstring::npos);

    RECT suggested{40, 50, 700, 520};
    SendMessageW(dialog.handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    LOGFONTW after{};
    GetObjectW(dialog.font(), sizeof after, &after);
    EXPECT_GT(std::abs(after.lfHeight), std::abs(before.lfHeight));
    EXPECT_EQ(fontOf(dialog.item(IDC_LABEL)), dialog.font());
    EXPECT_EQ(fontOf(page.item(IDC_PAGE_LABEL)), dialog.font());
    RECT placed{};
    GetWindowRect(dialog.handle(), &placed);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.bottom, 520);
}

TEST(Dialog, APageGoesWithItsParent) {
    auto parent = std::make_unique<Dialog>(controlsTemplate());
    Dialog page(IDD_PAGE, *parent);
    HWND window = page.handle();
    HWND parentWindow = parent->handle();
    parent.reset();
    EXPECT_FALSE(IsWindow(window) || IsWindow(parentWindow));
    EXPECT_EQ(page.handle(), nullptr);  // and is not destroyed again
}

}  // namespace
}  // namespace ardentis::testing
