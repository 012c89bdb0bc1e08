#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
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
using win32::Win32Page;
using win32::Win32TabControl;
using win32::Win32Window;

std::wstring tabText(HWND tabs, int index) {
    wchar_t buffer[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 64;
    SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

bool shown(HWND window) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Three pages on the tab control, the middle one without its tab at first.
class PageTest : public ControlsDialogTest {
  protected:
    Win32TabControl tabs{dialog, IDC_TABS};
    Dialog basicPage{IDD_PAGE, dialog};
    Dialog optionsPage{IDD_PAGE, dialog};
    Dialog managePage{IDD_PAGE, dialog};
    Win32Page basic{tabs, basicPage, 0, g("基本设置")};
    Win32Page options{tabs, optionsPage, 1, g("选项"), false};
    Win32Page manage{tabs, managePage, 2, g("房间管理")};
};

TEST_F(PageTest, VisiblePagesHaveTabsAndTheFirstIsActive) {
    EXPECT_EQ(tabs.tabCount(), 2);
    EXPECT_EQ(tabText(tabs.handle(), 0), L"基本设置");
    EXPECT_EQ(tabText(tabs.handle(), 1), L"房间管理");
    EXPECT_TRUE(basic.visible());
    EXPECT_FALSE(options.visible());
    EXPECT_TRUE(basic.active());
    EXPECT_FALSE(manage.active());
    EXPECT_TRUE(shown(basic.handle()));
    EXPECT_FALSE(shown(options.handle()));
    EXPECT_FALSE(shown(manage.handle()));
}

TEST_F(PageTest, PageLiesInsideTheTabControlBelowTheTabs) {
    RECT outer{};
    RECT inner{};
    RECT tab{};
    GetWindowRect(tabs.handle(), &outer);
    GetWindowRect(basic.handle(), &inner);
    ASSERT_TRUE(SendMessageW(tabs.handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab)));
    MapWindowPoints(tabs.handle(), nullptr, reinterpret_cast<POINT*>(&tab), 2);
    EXPECT_GE(inner.left, outer.left);
    EXPECT_GE(inner.top, tab.bottom);
    EXPECT_LE(inner.right, outer.right);
    EXPECT_LE(inner.bottom, outer.bottom);
}

TEST_F(PageTest, ShownPageTakesItsTabBackInOrder) {
    options.setVisible(true);

    ASSERT_EQ(tabs.tabCount(), 3);
    EXPECT_EQ(tabText(tabs.handle(), 1), L"选项");
    EXPECT_TRUE(options.visible());
    EXPECT_TRUE(basic.active());  // showing a tab does not select it
    EXPECT_FALSE(shown(options.handle()));
}

TEST_F(PageTest, ActivateSelectsTheTabAndShowsOnlyThatPage) {
    manage.activate();

    EXPECT_TRUE(manage.active());
    EXPECT_FALSE(basic.active());
    EXPECT_EQ(SendMessageW(tabs.handle(), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(shown(manage.handle()));
    EXPECT_FALSE(shown(basic.handle()));

    options.activate();  // no tab: nothing happens
    EXPECT_TRUE(manage.active());
    EXPECT_FALSE(shown(options.handle()));
}

TEST_F(PageTest, UserTabChangeShowsThatPage) {
    SendMessageW(tabs.handle(), TCM_SETCURSEL, 1, 0);
    NMHDR change{tabs.handle(), IDC_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(dialog.handle(), WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&change));

    EXPECT_TRUE(manage.active());
    EXPECT_TRUE(shown(manage.handle()));
    EXPECT_FALSE(shown(basic.handle()));
}

TEST_F(PageTest, HidingTheActivePageActivatesTheNextTab) {
    basic.setVisible(false);

    EXPECT_FALSE(basic.visible());
    EXPECT_FALSE(basic.active());
    EXPECT_FALSE(shown(basic.handle()));
    EXPECT_TRUE(manage.active());
    EXPECT_TRUE(shown(manage.handle()));
    EXPECT_EQ(tabs.tabCount(), 1);
}

TEST_F(PageTest, PageControlsRouteThroughThePageDialog) {
    win32::Win32Button start(basicPage, IDC_PAGE_BUTTON);
    Runs runs;
    runs.wire(start.onClick);

    SendMessageW(start.handle(), BM_CLICK, 0, 0);

    EXPECT_EQ(runs.count, 1);
    EXPECT_EQ(start.caption(), g("开始"));
}

using WindowTest = ControlsDialogTest;

TEST_F(WindowTest, CaptionComesFromTheResourceAndRoundTrips) {
    Win32Window window(dialog);
    EXPECT_EQ(window.caption(), g("作战指挥室"));

    window.setCaption(g("Ardentis启动中"));

    EXPECT_EQ(wideText(window.handle()), L"Ardentis启动中");
    EXPECT_EQ(window.caption(), g("Ardentis启动中"));
}

TEST_F(WindowTest, ShowAndHideRunTheirHandlersOnce) {
    Win32Window window(dialog);
    window.hide();
    Runs shows;
    Runs hides;
    shows.wire(window.onShow);
    hides.wire(window.onHide);

    window.show();
    window.show();
    EXPECT_TRUE(IsWindowVisible(window.handle()));
    window.hide();
    window.hide();

    EXPECT_FALSE(IsWindowVisible(window.handle()));
    EXPECT_EQ(shows.count, 1);
    EXPECT_EQ(hides.count, 1);
}

TEST_F(WindowTest, SetSizeChangesTheOuterSizeAndKeepsThePosition) {
    Win32Window window(dialog);
    SetWindowPos(window.handle(), nullptr, 37, 41, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(window.size(), (forms::WindowSize{300, 200}));

    window.setSize({640, 480});

    RECT frame{};
    GetWindowRect(window.handle(), &frame);
    EXPECT_EQ(frame.right - frame.left, 640);
    EXPECT_EQ(frame.bottom - frame.top, 480);
    EXPECT_EQ(frame.left, 37);
    EXPECT_EQ(frame.top, 41);
    EXPECT_EQ(window.size(), (forms::WindowSize{640, 480}));
}

TEST_F(WindowTest, SystemCloseRefusedByTheCoreLeavesTheWindow) {
    Win32Window window(dialog);
    int queries = 0;
    window.onCloseQuery = [&] {
        ++queries;
        return false;
    };
    Runs closes;
    closes.wire(window.onClose);

    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    SendMessageW(window.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    runPending();

    EXPECT_EQ(queries, 2);
    EXPECT_EQ(closes.count, 0);
    EXPECT_TRUE(IsWindow(window.handle()));
    EXPECT_TRUE(window.visible());
}

TEST_F(WindowTest, SystemCloseAllowedByTheCoreHidesTheWindow) {
    Win32Window window(dialog);
    window.onCloseQuery = [] { return true; };
    Runs closes;
    closes.wire(window.onClose);

    SendMessageW(window.handle(), WM_CLOSE, 0, 0);

    EXPECT_EQ(closes.count, 1);
    EXPECT_FALSE(window.visible());
    EXPECT_TRUE(IsWindow(window.handle()));  // destroying it is the owner's business
}

using DialogTest = ControlsDialogTest;

TEST_F(DialogTest, ChildrenShowTheWindowsFontWhichHoldsTheChineseGlyphs) {
    HFONT font = dialog.font();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(item(IDC_LABEL), WM_GETFONT, 0, 0)), font);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(item(IDC_LIST), WM_GETFONT, 0, 0)), font);
    ASSERT_FALSE(win32::chineseFace().empty());
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
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_NE(static_cast<WORD>(glyphs[i]), 0xFFFF) << "no glyph for character " << i;
    }
}

TEST_F(DialogTest, NewDpiGivesEveryChildALargerFontAndTheSuggestedPlace) {
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

TEST_F(DialogTest, PagesShareTheTopLevelFont) {
    Dialog page(IDD_PAGE, dialog);

    EXPECT_EQ(page.font(), dialog.font());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(page.item(IDC_PAGE_LABEL), WM_GETFONT, 0, 0)),
              dialog.font());
}

TEST_F(DialogTest, WrongIdsAndTemplatesAreRefused) {
    EXPECT_THROW((void)dialog.item(4242), std::invalid_argument);
    EXPECT_THROW(Dialog(4242), std::runtime_error);
    win32::Win32Button first(dialog, IDC_BUTTON);
    EXPECT_THROW(win32::Win32Button(dialog, IDC_BUTTON), std::logic_error);
}

TEST_F(DialogTest, DestroyingTheDialogDestroysItsWindow) {
    auto own = std::make_unique<Dialog>(IDD_CONTROLS);
    HWND window = own->handle();
    ASSERT_TRUE(IsWindow(window));

    own.reset();

    EXPECT_FALSE(IsWindow(window));
}

TEST_F(DialogTest, APageDestroyedWithItsParentIsNotDestroyedAgain) {
    auto parent = std::make_unique<Dialog>(IDD_CONTROLS);
    Dialog page(IDD_PAGE, *parent);
    HWND window = page.handle();

    parent.reset();

    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(page.handle(), nullptr);
}

}  // namespace
}  // namespace ardentis::testing
