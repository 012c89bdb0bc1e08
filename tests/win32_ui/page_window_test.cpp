#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "tests/win32_ui/test_resource.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/dialog_font.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_page.h"
#include "ui/win32/win32_tab_control.h"
#include "ui/win32/win32_window.h"

namespace ardentis::testing {
namespace {

using win32::Dialog;

std::wstring tabText(HWND tabs, int index) {
    wchar_t buffer[64] = {};
    TCITEMW item{TCIF_TEXT, 0, 0, buffer, 64, 0, 0};
    SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

bool shown(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Three pages on the tab control, the middle one without its tab at first.
class PageTest : public ControlsDialogTest {
  protected:
    win32::Win32TabControl tabs{dialog, IDC_TABS};
    Dialog basicPage{IDD_PAGE, dialog};
    Dialog optionsPage{IDD_PAGE, dialog};
    Dialog managePage{IDD_PAGE, dialog};
    win32::Win32Page basic{tabs, basicPage, 0, g("基本设置")};
    win32::Win32Page options{tabs, optionsPage, 1, g("选项"), false};
    win32::Win32Page manage{tabs, managePage, 2, g("房间管理")};
};

TEST_F(PageTest, OnlyVisiblePagesHaveTabsInOrderAndOnlyTheActiveOneShows) {
    EXPECT_EQ(tabs.tabCount(), 2);
    EXPECT_EQ(tabText(tabs.handle(), 1), L"房间管理");
    EXPECT_TRUE(basic.active());
    options.activate();  // no tab: nothing happens
    EXPECT_TRUE(basic.active());
    options.setVisible(true);
    ASSERT_EQ(tabs.tabCount(), 3);
    EXPECT_EQ(tabText(tabs.handle(), 1), L"选项");
    EXPECT_TRUE(basic.active());  // showing a tab does not select it
    // The user's tab change shows that page, and a page's controls route through it.
    SendMessageW(tabs.handle(), TCM_SETCURSEL, 2, 0);
    NMHDR change{tabs.handle(), IDC_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(dialog.handle(), WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&change));
    EXPECT_TRUE(manage.active());
    EXPECT_TRUE(shown(manage.handle()));
    EXPECT_FALSE(shown(basic.handle()) || shown(options.handle()));
    win32::Win32Button start(managePage, IDC_PAGE_BUTTON);
    Runs runs;
    runs.wire(start.onClick);
    SendMessageW(start.handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(runs.count, 1);
    manage.setVisible(false);  // hiding the active page activates the next tab
    EXPECT_EQ(tabs.tabCount(), 2);
    EXPECT_TRUE(options.active());
    EXPECT_TRUE(shown(options.handle()));
    basic.activate();
    EXPECT_EQ(SendMessageW(tabs.handle(), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(shown(basic.handle()));
}

using WindowTest = ControlsDialogTest;

TEST_F(WindowTest, ShowHideAndAnAllowedSystemCloseRunTheirHandlersOnce) {
    win32::Win32Window window(dialog);
    EXPECT_EQ(window.caption(), g("作战指挥室"));
    window.setCaption(g("Ardentis启动中"));
    EXPECT_EQ(wideText(window.handle()), L"Ardentis启动中");
    window.hide();
    Runs shows;
    Runs hides;
    Runs closes;
    shows.wire(window.onShow);
    hides.wire(window.onHide);
    closes.wire(window.onClose);
    window.show();
    window.show();
    EXPECT_TRUE(IsWindowVisible(window.handle()));
    bool allow = false;
    int queries = 0;
    window.onCloseQuery = [&] {
        ++queries;
        return allow;
    };
    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    SendMessageW(window.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    runPending();
    EXPECT_EQ(queries, 2);
    EXPECT_EQ(closes.count + hides.count, 0);
    EXPECT_TRUE(window.visible());
    allow = true;
    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    window.hide();
    EXPECT_EQ(shows.count, 1);
    EXPECT_EQ(hides.count, 1);
    EXPECT_EQ(closes.count, 1);
    EXPECT_FALSE(window.visible());
    EXPECT_TRUE(IsWindow(window.handle()));  // destroying it is the owner's business
}

using DialogTest = ControlsDialogTest;

TEST_F(DialogTest, ChildrenShowTheWindowsFontWhichHoldsTheChineseGlyphs) {
    HFONT font = dialog.font();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(item(IDC_LIST), WM_GETFONT, 0, 0)), font);
    LOGFONTW described{};
    GetObjectW(font, sizeof described, &described);
    EXPECT_EQ(std::wstring(described.lfFaceName), win32::chineseFace());
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
}

TEST_F(DialogTest, NewDpiGivesEveryChildAndPageALargerFontAndTheSuggestedPlace) {
    Dialog page(IDD_PAGE, dialog);
    LOGFONTW before{};
    GetObjectW(dialog.font(), sizeof before, &before);
    RECT suggested{40, 50, 700, 520};
    SendMessageW(dialog.handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    LOGFONTW after{};
    GetObjectW(dialog.font(), sizeof after, &after);
    EXPECT_GT(std::abs(after.lfHeight), std::abs(before.lfHeight));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(item(IDC_LABEL), WM_GETFONT, 0, 0)),
              dialog.font());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(page.item(IDC_PAGE_LABEL), WM_GETFONT, 0, 0)),
              dialog.font());
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
