// The Win32 wrappers under the control contract on the tests' real dialog, and what only Win32
// has: the text the window shows through the W API, styles, pages on tabs, the window's close,
// the dialog font and its DPI, a handler's exception kept out of user32; the event loop, and the
// system's modal boxes played by one of its timers (their modal loops dispatch this thread's
// timers, so the timer finds the box once it is up and acts as the user).
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_event_loop.h"
#include "tests/forms/control_contract.h"
#include "tests/support/scratch_directory.h"
#include "tests/win32_ui/test_resource.h"
#include "ui/win32/common_controls.h"
#include "ui/win32/dialog.h"
#include "ui/win32/handler_failure.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_check_box.h"
#include "ui/win32/win32_desktop_notifier.h"
#include "ui/win32/win32_drop_down.h"
#include "ui/win32/win32_edit.h"
#include "ui/win32/win32_info_box.h"
#include "ui/win32/win32_label.h"
#include "ui/win32/win32_list_view.h"
#include "ui/win32/win32_memo.h"
#include "ui/win32/win32_open_file_dialog.h"
#include "ui/win32/win32_page.h"
#include "ui/win32/win32_password_prompt.h"
#include "ui/win32/win32_radio_group.h"
#include "ui/win32/win32_slider.h"
#include "ui/win32/win32_tab_control.h"
#include "ui/win32/win32_window.h"
#include "ui/win32/window_text.h"

namespace ardentis::testing {
namespace {

using namespace win32;
using platform::Win32EventLoop;
using Prompt = win32::Win32PasswordPrompt;

// Runs the messages already queued for this thread; bounded, as a control may keep posting.
void runPending() {
    MSG message{};
    for (int i = 0; i < 10000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE; ++i) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

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

const std::array kMaps{g("Gods of War 2"), g("彗星捕手"), g("Shore to Shore")};
const std::array kSight{g("真实视野"), g("圆形视野"), g("视野全开")};
const std::array kColumns{ListColumn{g("帐号"), 50}, ListColumn{g("昵称"), 50},
                          ListColumn{g("准备"), 30}};

struct Win32Controls {
    Dialog dialog{(initCommonControls(), IDD_CONTROLS)};  // its list view needs them first
    Win32Button button{dialog, IDC_BUTTON};
    Win32Label label{dialog, IDC_LABEL};
    Win32CheckBox check{dialog, IDC_CHECK};
    Win32RadioGroup radio{dialog, IDC_GROUP, IDC_GROUP_ITEMS, kSight, 1, 3};
    Win32Slider slider{dialog, IDC_SLIDER, 0, 10, 1};
    Win32Edit edit{dialog, IDC_EDIT};
    Win32Memo memo{dialog, IDC_MEMO};
    Win32Memo view{dialog, IDC_VIEW_MEMO, MemoAccess::ReadOnly};
    Win32DropDown maps{dialog, IDC_DROPDOWN, kMaps, 0};
    Win32ListView list{dialog, IDC_LIST, kColumns};
};

// The contract's dialog, shown.
struct Win32World : ControlWorldOf<Win32Controls> {
    Win32World() {
        ShowWindow(c.dialog.handle(), SW_SHOWNOACTIVATE);
        runPending();
    }
    void clickButton() override { click(c.button.handle()); }
    void clickCheckBox() override { click(c.check.handle()); }
    void clickRadio(int index) override { click(c.radio.button(index)); }
    void stepSliderLeft() override { key(c.slider.handle(), VK_LEFT); }
    void typeIntoEdit(const text::Gbk& typed) override { type(c.edit.handle(), typed); }
    void typeLineIntoMemo(const text::Gbk& typed) override {
        type(c.memo.handle(), typed + text::Gbk("\r"));
    }
    void chooseNextInDropDown() override { key(c.maps.handle(), VK_DOWN); }
    void clickRow(int row) override {
        RECT bounds{};
        ListView_GetItemRect(c.list.handle(), row, &bounds, LVIR_BOUNDS);
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
    void clickColumn(int column) override {
        HWND header = ListView_GetHeader(c.list.handle());
        RECT bounds{};
        Header_GetItemRect(header, column, &bounds);
        const LPARAM point =
            MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(header, WM_LBUTTONUP, 0, point);
        runPending();
    }
};

CONTRACT_WORLD(Win32, ControlContract, Win32World, ControlWorld);

// What only Win32 has, on the contract's dialog.
struct Win32Wrappers : ::testing::Test, Win32World {};

TEST_F(Win32Wrappers, TextsShowThroughTheWideApiStylesDoWhatTheUserSeesWrongIdsAreRefused) {
    c.label.setCaption(g("用户:张三 R&D"));
    EXPECT_EQ(wideWindowText(c.label.handle()), L"用户:张三 R&D");
    EXPECT_NE(GetWindowLongPtrW(c.label.handle(), GWL_STYLE) & SS_NOPREFIX, 0) << "& as is";
    c.list.addRow(g("房间"), {g("说明")});
    wchar_t cell[16] = {};
    ListView_GetItemText(c.list.handle(), 0, 1, cell, 16);
    EXPECT_EQ(std::wstring(cell), L"说明");
    EXPECT_THROW(Win32CheckBox(c.dialog, IDC_PLAIN_CHECK), std::invalid_argument);
    EXPECT_THROW(Win32Memo(c.dialog, IDC_PASSWORD), std::invalid_argument);
    EXPECT_THROW((void)c.dialog.item(4242), std::invalid_argument);
    EXPECT_THROW(Dialog(4242), std::runtime_error);
    EXPECT_THROW(Win32Button(c.dialog, IDC_BUTTON), std::logic_error);
    Win32Edit password(c.dialog, IDC_PASSWORD, EditEcho::Masked);
    EXPECT_EQ(SendMessageW(password.handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    SetWindowTextW(password.handle(), L"a\u20A9b");  // the won sign is not in GBK
    EXPECT_EQ(password.text(), g("a?b"));
    c.view.setText(g(std::string(600, 'x')));  // one line, longer than the view is wide
    ASSERT_GT(SendMessageW(c.view.handle(), EM_GETLINECOUNT, 0, 0), 1);  // the control wraps it
    EXPECT_EQ(c.view.lineCount(), 1);
    int runs = 0;  // that a read-only view takes no typing is its style, the app suite's
    Win32Button picture(c.dialog, IDC_PICTURE);  // a clickable picture
    picture.onClick.set([&] { ++runs; });
    SendMessageW(picture.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(picture.handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(runs, 1);
}

// Rows come and go in a burst while the list's painting waits: the program sees them and the
// selection at once, and the list paints them once its redrawing is back on (ended by its
// timer, or by the list's own end).
void burstOfRows(Win32ListView& list) {
    for (int i = 0; i < 12; ++i) {
        list.addRow(text::Gbk("room " + std::to_string(i)), {g("讨论中")});
    }
    list.deleteRow(0);
    list.setSelected(2);
    list.insertRow(0, g("room new"), {g("准备")});  // the selection moves down with its row
    EXPECT_EQ(ListView_GetItemCount(list.handle()), 12);
    EXPECT_EQ(ListView_GetNextItem(list.handle(), -1, LVNI_SELECTED), 3);
    EXPECT_EQ(list.selected(), 3);
    EXPECT_EQ(list.caption(3), g("room 3"));
}

// The one row of the first seven that the list shows selected: the one whose background, right
// of any text, differs from row 0's (never selected here); -1 for none or several.
int paintedSelection(HWND list) {
    UpdateWindow(list);
    RECT client{};
    GetClientRect(list, &client);
    HDC dc = GetDC(list);
    const auto background = [&](int row) {
        RECT bounds{};
        ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS);
        return GetPixel(dc, std::min(bounds.right, client.right) - 3,
                        (bounds.top + bounds.bottom) / 2);
    };
    int found = -1;
    for (int row = 1; row < 7; ++row) {
        if (background(row) != background(0)) {
            found = found < 0 ? row : 7;
        }
    }
    ReleaseDC(list, dc);
    return found < 7 ? found : -1;
}

// Runs this thread's messages until the list shows `row` selected; bounded, the timer is 50 ms.
bool waitForSelectionPainted(HWND list, int row) {
    for (int wait = 0; wait < 200; ++wait) {
        Sleep(10);
        runPending();
        if (paintedSelection(list) == row) {
            return true;
        }
    }
    return false;
}

TEST_F(Win32Wrappers, ABurstOfRowsIsThereAtOnceAndPaintedWhenTheListsTimerEndsTheWait) {
    burstOfRows(c.list);
    EXPECT_TRUE(waitForSelectionPainted(c.list.handle(), 3));
    c.list.deleteRow(2);  // repainted from row 2 on: the selected row moves up into it
    EXPECT_EQ(c.list.selected(), 2);
    EXPECT_TRUE(waitForSelectionPainted(c.list.handle(), 2));
}

TEST(Win32ListViewEnd, ABurstOfRowsIsPaintedWhenTheListEndsBeforeItsTimer) {
    Dialog dialog{(initCommonControls(), IDD_CONTROLS)};
    ShowWindow(dialog.handle(), SW_SHOWNOACTIVATE);
    runPending();
    auto list = std::make_unique<Win32ListView>(dialog, IDC_LIST, kColumns);
    HWND control = list->handle();
    burstOfRows(*list);
    list.reset();
    EXPECT_EQ(paintedSelection(control), 3);
}

// The chat view is a rich edit: a selection copies as text, its lines broken by CR LF, and
// stays while new lines come and the view follows them.
TEST_F(Win32Wrappers, AChatViewKeepsTheUsersSelectionToCopyWhileFollowingItsNewestLine) {
    c.view.setLineLimit(40);
    c.view.addLine(g("系统消息"));
    c.view.addLine(g("张三>>你好 李四"), forms::LineMark::Highlight);
    c.view.addLine(g("李四>>hi"));
    SendMessageW(c.view.handle(), EM_SETSEL, 9, 17);
    for (int i = 0; i < 38; ++i) {  // the first line goes
        c.view.addLine(g("王五>>gg"));
    }
    EXPECT_GT(SendMessageW(c.view.handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    SendMessageW(c.view.handle(), WM_COPY, 0, 0);
    ASSERT_NE(OpenClipboard(nullptr), FALSE);
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::wstring copied =
        data == nullptr ? L"" : static_cast<const wchar_t*>(GlobalLock(data));
    if (data != nullptr) {
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(copied, L"你好 李四\r\n李四");
}

TEST_F(Win32Wrappers, AHandlersExceptionStaysOutOfUser32AndTheSystemsCloseAsksFirst) {
    std::string reported;
    setFailureSink([&](const std::string& message) { reported = message; });
    c.button.onClick.set([] { throw std::runtime_error("boom"); });
    SendMessageW(c.button.handle(), BM_CLICK, 0, 0);
    setFailureSink(nullptr);
    EXPECT_NE(reported.find("boom"), std::string::npos) << reported;
    // The show, hide and close rules are the window's own; Win32 adds the system's close
    // requests (the close button, Alt+F4) reaching them.
    Win32Window window(c.dialog);
    std::string events;
    window.onShow.set([&] { events += "show;"; });
    window.onHide.set([&] { events += "hide;"; });
    window.onClose.set([&] { events += "close;"; });
    bool allow = false;
    window.onCloseQuery = [&] { return events += "query;", allow; };
    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    SendMessageW(window.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    runPending();
    EXPECT_TRUE(window.visible());
    allow = true;
    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window.handle()));
    EXPECT_TRUE(IsWindow(window.handle()));  // destroying it is the owner's business
    window.show();
    window.show();
    EXPECT_EQ(events, "query;query;query;hide;close;show;");
}

// Three pages on the tab control, the middle one without its tab at first.
TEST_F(Win32Wrappers, OnlyVisiblePagesHaveTabsInOrderAndOnlyTheActiveOneShows) {
    Win32TabControl tabs{c.dialog, IDC_TABS};
    Dialog basicPage{IDD_PAGE, c.dialog};
    Dialog optionsPage{IDD_PAGE, c.dialog};
    Dialog managePage{IDD_PAGE, c.dialog};
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
    SendMessageW(c.dialog.handle(), WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&change));
    EXPECT_TRUE(manage.active() && IsWindowVisible(manage.handle()));
    EXPECT_FALSE(IsWindowVisible(basic.handle()) || IsWindowVisible(options.handle()));
    Win32Button start(managePage, IDC_PAGE_BUTTON);
    int starts = 0;
    start.onClick.set([&] { ++starts; });
    SendMessageW(start.handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(starts, 1);
    manage.setVisible(false);  // hiding the active page activates the next tab
    EXPECT_EQ(tabs.tabCount(), 2);
    EXPECT_TRUE(options.active() && IsWindowVisible(options.handle()));
    basic.activate();
    EXPECT_EQ(SendMessageW(tabs.handle(), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(IsWindowVisible(basic.handle()));
}

// Latin letters and punctuation too: some Chinese faces have none.
TEST_F(Win32Wrappers, ChildrenAndPagesShowAFontWithEveryGlyphAndANewDpiEnlargesItInPlace) {
    Dialog page(IDD_PAGE, c.dialog);
    HFONT font = c.dialog.font();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(fontOf(c.dialog.item(IDC_LIST)), font);
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

    LOGFONTW before{};
    GetObjectW(font, sizeof before, &before);
    RECT suggested{40, 50, 700, 520};
    SendMessageW(c.dialog.handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    LOGFONTW after{};
    GetObjectW(c.dialog.font(), sizeof after, &after);
    EXPECT_GT(std::abs(after.lfHeight), std::abs(before.lfHeight));
    EXPECT_EQ(fontOf(c.dialog.item(IDC_LABEL)), c.dialog.font());
    EXPECT_EQ(fontOf(page.item(IDC_PAGE_LABEL)), c.dialog.font());
    c.view.addLine(g("张三>>你好"), forms::LineMark::Highlight);  // a rich edit's own format
    SendMessageW(c.view.handle(), EM_SETSEL, 0, -1);
    CHARFORMAT2W shown{};
    shown.cbSize = sizeof shown;
    SendMessageW(c.view.handle(), EM_GETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(std::wstring(shown.szFaceName), std::wstring(after.lfFaceName));
    RECT placed{};
    GetWindowRect(c.dialog.handle(), &placed);
    EXPECT_TRUE(placed.left == 40 && placed.bottom == 520) << "placed where it was told";
}

TEST(Dialog, APageGoesWithItsParent) {
    initCommonControls();
    auto parent = std::make_unique<Dialog>(IDD_CONTROLS);
    Dialog page(IDD_PAGE, *parent);
    HWND window = page.handle();
    HWND parentWindow = parent->handle();
    parent.reset();
    EXPECT_FALSE(IsWindow(window) || IsWindow(parentWindow));
    EXPECT_EQ(page.handle(), nullptr);  // and is not destroyed again
}

constexpr auto kLimit = std::chrono::seconds(10);  // bounds the waits; nothing measures time

TEST(Win32EventLoop, TimersStopWhenToldPostsRunInOrderOnTheLoopThreadAndFailuresReachThePump) {
    Win32EventLoop loop;
    int silentTicks = 0, stoppedTicks = 0, ticks = 0;
    const auto silent = loop.createTimer(10, false, [&] { ++silentTicks; });
    const std::unique_ptr<platform::Timer> stopped = loop.createTimer(10, true, [&] {
        ++stoppedTicks;
        stopped->setEnabled(false);
    });
    const auto other = loop.createTimer(15, true, [&] { ++ticks; });
    ASSERT_TRUE(loop.runUntil([&] { return ticks >= 5; }, kLimit));
    EXPECT_EQ(silentTicks, 0) << "created disabled";
    EXPECT_EQ(stoppedTicks, 1) << "disabled in its handler";

    const auto loopThread = std::this_thread::get_id();
    std::vector<int> order;
    bool allOnLoopThread = true;
    std::thread([&] {
        for (int i = 0; i < 100; ++i) {
            loop.post([&, i] {
                order.push_back(i);
                allOnLoopThread = allOnLoopThread && std::this_thread::get_id() == loopThread;
            });
        }
    }).join();
    ASSERT_TRUE(loop.runUntil([&] { return order.size() == 100; }, kLimit));
    EXPECT_TRUE(allOnLoopThread);
    EXPECT_TRUE(std::ranges::is_sorted(order));

    bool later = false;
    loop.post([] { throw std::runtime_error("posted work failed"); });
    loop.post([&] { later = true; });
    EXPECT_THROW((void)loop.runUntil([] { return false; }, kLimit), std::runtime_error);
    EXPECT_TRUE(loop.runUntil([&] { return later; }, kLimit)) << "the rest still runs";
    // A quit met while pumping is left for the outer loop.
    loop.post([] { Win32EventLoop::quit(3); });
    EXPECT_FALSE(loop.runUntil([] { return false; }, kLimit));
    EXPECT_EQ(loop.run(), 3);
}

// Plays the user on the box with that caption, found from a timer that the box's modal loop
// runs: notes its owner and the text of one of its controls, then acts.
struct ModalDriver {
    ModalDriver(const wchar_t* caption, int textId, std::function<void(HWND)> act) {
        timer = loop.createTimer(20, true, [this, caption, textId, act = std::move(act)] {
            if (HWND box = FindWindowW(nullptr, caption); box != nullptr && owner == nullptr) {
                owner = GetWindow(box, GW_OWNER);
                shown = wideWindowText(GetDlgItem(box, textId));
                act(box);
            }
        });
    }
    Win32EventLoop loop;
    std::unique_ptr<platform::Timer> timer;
    HWND owner = nullptr;  // once it has acted
    std::wstring shown;
};

TEST(Win32Boxes, TheSystemBoxesShowOurTextsAndGiveBackWhatTheUserChose) {
    const HWND dialog = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40,
                                        nullptr, nullptr, nullptr, nullptr);
    ModalDriver user(L"Ardentis", 0xFFFF,
                     [](HWND box) { SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
    win32::Win32InfoBox(dialog).showInfo(g("房间中已经开始战斗了，请战后再来!"));
    EXPECT_EQ(user.owner, dialog);
    EXPECT_EQ(user.shown, L"房间中已经开始战斗了，请战后再来!");

    // The password prompt: OK gives the typed password from a masked edit, cancel nothing.
    bool masked = false;
    ModalDriver typing(L"请输入密码", Prompt::kPromptId, [&](HWND box) {
        HWND edit = GetDlgItem(box, Prompt::kPasswordId);
        masked = (GetWindowLongPtrW(edit, GWL_STYLE) & ES_PASSWORD) != 0;
        SetWindowTextW(edit, L"密码12");
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    Prompt passwords(dialog);
    EXPECT_EQ(passwords.ask(g("请输入密码"), g("请输入房间密码")), g("密码12"));
    EXPECT_EQ(typing.shown, L"请输入房间密码");
    EXPECT_TRUE(masked);
    ModalDriver cancelling(L"请输入密码", Prompt::kPasswordId, [](HWND box) {
        SetDlgItemTextW(box, Prompt::kPasswordId, L"abc");
        SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(passwords.ask(g("请输入密码"), g("请输入房间密码")), std::nullopt);
    EXPECT_EQ(cancelling.owner, dialog);

    // The open-file dialog shows our title and filter (the type list's first entry) and gives
    // the chosen file.
    ScratchDirectory folder;
    const std::wstring path = (folder / L"总指挥.exe").wstring();
    folder.addFile(L"总指挥.exe");
    ModalDriver choosing(L"选择TA所在位置", cmb1, [&](HWND box) {
        SetDlgItemTextW(box, cmb13, path.c_str());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    const auto chosen =
        win32::Win32OpenFileDialog(dialog).run(g("选择TA所在位置"), g("TA执行文件|totala.exe"));
    EXPECT_EQ(choosing.shown, L"TA执行文件");
    EXPECT_EQ(chosen, platform::wideToGbk(path).value());
    DestroyWindow(dialog);
}

}  // namespace
}  // namespace ardentis::testing

namespace ardentis::testing {
namespace {

// The tray icon comes and goes and takes a balloon, the flash is asked for, the window the
// user activated last is the one flashed, and while chosen a minimise hides both windows to
// the icon until it is clicked.
TEST(Win32DesktopNotifier, TheTrayIconComesAndGoesAndAMinimiseHidesBothWindowsToIt) {
    initCommonControls();
    Dialog lobby(IDD_CONTROLS);
    Dialog room(IDD_CONTROLS);
    const auto shown = [&] {
        return std::array{IsWindowVisible(lobby.handle()) != FALSE,
                          IsWindowVisible(room.handle()) != FALSE};
    };
    Win32DesktopNotifier desktop(lobby.handle(), room.handle(), 1);
    // Whether the shell holds the notifier's icon: only a known icon can be changed.
    const auto iconKnown = [&desktop] {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = desktop.trayWindow();
        data.uID = 1;
        data.uFlags = NIF_TIP;
        return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    };
    ShowWindow(lobby.handle(), SW_SHOW);
    ShowWindow(room.handle(), SW_SHOW);
    SetForegroundWindow(room.handle());
    runPending();
    EXPECT_TRUE(desktop.inFront());
    EXPECT_EQ(desktop.lastUsed(), room.handle());
    EXPECT_FALSE(iconKnown());
    ASSERT_TRUE(desktop.showTrayIcon(true));
    EXPECT_TRUE(iconKnown());
    EXPECT_TRUE(desktop.balloon(g("Ardentis"), g("bob 进入了房间")));
    desktop.flash();

    desktop.minimiseToTray(true);
    SendMessageW(room.handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(shown(), (std::array{false, false}));
    SendMessageW(desktop.trayWindow(), Win32DesktopNotifier::kTrayMessage, 1, WM_LBUTTONUP);
    EXPECT_EQ(shown(), (std::array{true, true}));
    // In the tray the room is still the user's room to the program; a room the program
    // closes meanwhile stays closed when the icon brings the windows back.
    Win32Window roomWindow(room);
    SendMessageW(room.handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(roomWindow.visible());
    roomWindow.hide();
    EXPECT_FALSE(roomWindow.visible());
    SendMessageW(desktop.trayWindow(), Win32DesktopNotifier::kTrayMessage, 1, WM_LBUTTONUP);
    EXPECT_EQ(shown(), (std::array{true, false}));
    roomWindow.show();
    desktop.minimiseToTray(false);
    SendMessageW(room.handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(shown(), (std::array{true, true}));
    EXPECT_NE(IsIconic(room.handle()), FALSE);
    // A restarted shell knows no icons until each program adds its own again.
    NOTIFYICONDATAW gone{};
    gone.cbSize = sizeof(gone);
    gone.hWnd = desktop.trayWindow();
    gone.uID = 1;
    Shell_NotifyIconW(NIM_DELETE, &gone);
    EXPECT_FALSE(iconKnown());
    SendMessageW(lobby.handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(iconKnown());
    EXPECT_TRUE(desktop.showTrayIcon(false));
    EXPECT_FALSE(iconKnown());
}

}  // namespace
}  // namespace ardentis::testing
