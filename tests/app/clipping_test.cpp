// Every caption of the real windows fits its control, in both languages, at the DPI this Wine
// prefix runs at (LogPixels) and again at 144 and 192 DPI: statics, buttons, check boxes, radio
// buttons, group boxes and the read-only note, and every list column's heading, each measured
// with the font the control draws with. With ARDENTIS_SCREENSHOTS set, a picture of each window
// is kept right after its check.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/win32/wide_text.h"
#include "tests/app/window_shot.h"
#include "text/code_page.h"
#include "text/shown.h"
#include "ui/win32/common_controls.h"
#include "ui/win32/dialog_font.h"
#include "ui/win32/window_text.h"

namespace ardentis::app {
namespace {

// Room a button's frame, and a check box's or radio button's box and gap, take beside the
// text, in pixels at 96 DPI.
constexpr int kButtonFrame = 6;
constexpr int kGroupFrame = 12;
constexpr int kCheckSpace = 18;
constexpr int kHeadingFrame = 12;  // a list heading's margins

struct Clipped {
    std::wstring text;
    int needed;     // pixels across (or down, for a text that wraps)
    int available;  // pixels the control gives it
};

std::string utf8(const std::wstring& wide) {
    return text::toUtf8(platform::wideToGbkLossy(wide)).value_or("?");
}

// The size of `text` drawn in the control's font, wrapped at `width` when `wrap` is set.
SIZE measure(HWND control, const std::wstring& text, int width, bool wrap) {
    HDC context = GetDC(control);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(context, font);
    RECT area{0, 0, width, 0};
    const UINT flags =
        DT_CALCRECT | DT_NOPREFIX | (wrap ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE);
    DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &area, flags);
    SelectObject(context, old);
    ReleaseDC(control, context);
    return {area.right - area.left, area.bottom - area.top};
}

// Reports every list column whose heading does not fit it.
std::optional<Clipped> clippedColumns(HWND list) {
    const auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const auto columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    const int frame = MulDiv(kHeadingFrame, static_cast<int>(win32::windowDpi(list)), 96);
    for (int column = 0; column < columns; ++column) {
        wchar_t heading[64] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_WIDTH;
        item.pszText = heading;
        item.cchTextMax = 64;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
        const SIZE size = measure(header, heading, 0, false);
        if (size.cx + frame > item.cxy) {
            ADD_FAILURE() << "list " << GetDlgCtrlID(list) << " column " << column << " \""
                          << utf8(heading) << "\" needs " << size.cx + frame << " px, has "
                          << item.cxy;
        }
    }
    return std::nullopt;
}

// A tab row that does not fit scrolls behind arrows, which hide the last tabs.
std::optional<Clipped> clippedTabs(HWND tabs) {
    HWND arrows = FindWindowExW(tabs, nullptr, UPDOWN_CLASSW, nullptr);
    const int count = TabCtrl_GetItemCount(tabs);
    // The arrows' own style: the window checked may be hidden, and its children with it.
    if (arrows == nullptr || (GetWindowLongPtrW(arrows, GWL_STYLE) & WS_VISIBLE) == 0 ||
        count == 0) {
        return std::nullopt;
    }
    RECT first{};
    RECT last{};
    RECT client{};
    TabCtrl_GetItemRect(tabs, 0, &first);
    TabCtrl_GetItemRect(tabs, count - 1, &last);
    GetClientRect(tabs, &client);
    return Clipped{L"the row of " + std::to_wstring(count) + L" tabs", last.right - first.left,
                   client.right};
}

// Whether the control's text fits it; what it needs when it does not.
std::optional<Clipped> clipped(HWND control) {
    const std::wstring text = win32::wideWindowText(control);
    wchar_t kind[32] = {};
    GetClassNameW(control, kind, 32);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    RECT client{};
    GetClientRect(control, &client);
    const int width = client.right;
    const int height = client.bottom;
    const int scale = static_cast<int>(win32::windowDpi(control));
    const auto px = [&](int at96) { return MulDiv(at96, scale, 96); };
    if (std::wstring(kind) == L"SysListView32") {
        return clippedColumns(control);
    }
    if (std::wstring(kind) == WC_TABCONTROLW) {
        return clippedTabs(control);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    const std::wstring kindName = kind;
    if (kindName == L"Static") {
        if ((style & SS_TYPEMASK) == SS_BITMAP || (style & SS_ENDELLIPSIS) != 0) {
            return std::nullopt;  // pictures; runtime texts that end in "..." on purpose
        }
        const SIZE size = measure(control, text, width, true);
        if (size.cx > width || size.cy > height) {
            return Clipped{text, size.cy > height ? size.cy : size.cx,
                           size.cy > height ? height : width};
        }
        return std::nullopt;
    }
    if (kindName == L"Edit" && (style & ES_READONLY) != 0 && (style & ES_MULTILINE) != 0 &&
        (style & WS_VSCROLL) == 0) {
        const SIZE size = measure(control, text, width, true);
        if (size.cy > height) {
            return Clipped{text, size.cy, height};
        }
        return std::nullopt;
    }
    if (kindName != L"Button") {
        return std::nullopt;
    }
    const DWORD type = style & BS_TYPEMASK;
    const SIZE size = measure(control, text, 0, false);
    int room = width - px(kButtonFrame);
    if (type == BS_GROUPBOX) {
        room = width - px(kGroupFrame);
    } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON ||
               type == BS_RADIOBUTTON) {
        room = width - px(kCheckSpace);
    }
    if (size.cx > room || (type != BS_GROUPBOX && size.cy > height)) {
        return Clipped{text, size.cx, room};
    }
    return std::nullopt;
}

// Where the pictures of this run's windows go: ARDENTIS_SCREENSHOTS/<dpi>/<language>/, when
// that variable names a folder.
std::optional<std::filesystem::path> shotFolder(HWND window) {
    const wchar_t* root = _wgetenv(L"ARDENTIS_SCREENSHOTS");
    if (root == nullptr || *root == L'\0') {
        return std::nullopt;
    }
    return std::filesystem::path(root) / std::to_wstring(win32::windowDpi(window)) /
           (text::language() == text::Language::English ? L"en" : L"zh");
}

// Fails the test on every control of the window whose caption is cut off; the number of
// controls measured.
int checkCaptions(HWND window) {
    std::vector<HWND> controls;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM found) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    for (HWND control : controls) {
        if (const auto cut = clipped(control)) {
            ADD_FAILURE() << "control " << GetDlgCtrlID(control) << " \"" << utf8(cut->text)
                          << "\" needs " << cut->needed << " px, has " << cut->available;
        }
    }
    return static_cast<int>(controls.size());
}

// Keeps a picture of the window as `name`.png, one of each tab page (`name`-1.png, ...) for a
// window with tabs, each page chosen as a click on its tab would.
void keepShots(HWND window, const std::wstring& name) {
    const auto folder = shotFolder(window);
    if (!folder) {
        return;
    }
    const bool hidden = IsWindowVisible(window) == FALSE;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    // At the screen's corner, so that nothing of it lies off the screen, where it is not drawn.
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND tabs = FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr);
    const int pages = tabs == nullptr ? 0 : TabCtrl_GetItemCount(tabs);
    if (pages < 2) {
        EXPECT_TRUE(saveWindowShot(window, *folder / (name + L".png")));
    }
    for (int page = 0; pages >= 2 && page < pages; ++page) {
        TabCtrl_SetCurSel(tabs, page);
        NMHDR click{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)),
                    static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(window, WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click));
        const std::wstring file = name + L"-" + std::to_wstring(page + 1) + L".png";
        EXPECT_TRUE(saveWindowShot(window, *folder / file));
    }
    if (hidden) {
        ShowWindow(window, SW_HIDE);
    }
}

// The dialog box this thread shows, if any: the windows of the test are hidden between shots.
HWND shownBox() {
    HWND box = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t kind[16] = {};
            GetClassNameW(window, kind, 16);
            if (IsWindowVisible(window) == FALSE || std::wstring(kind) != L"#32770") {
                return TRUE;
            }
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    return box;
}

// Checks (when `measure` is set) and keeps the modal box that `open` shows, which must have
// that caption: found from a timer that the box's own modal loop runs, then closed as Esc
// would.
int checkModal(Application& app, const std::wstring& caption, const std::wstring& name,
               const std::function<void()>& open, bool measure = true) {
    bool found = false;
    int measured = 0;
    const auto timer = app.loop.createTimer(20, true, [&] {
        if (HWND box = shownBox(); box != nullptr && !found) {
            found = true;
            EXPECT_EQ(win32::wideWindowText(box), caption);
            measured = measure ? checkCaptions(box) : 0;
            keepShots(box, name);
            PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        }
    });
    open();
    EXPECT_TRUE(found) << "no " << utf8(name) << " box";
    return measured;
}

std::wstring wide(const text::Gbk& shown) {
    return platform::gbkToWideLossy(shown.view());
}

class Clipping : public ::testing::TestWithParam<text::Language> {
  protected:
    Clipping() { win32::initCommonControls(); }
    ~Clipping() override { text::setLanguage(text::Language::Chinese); }
};

TEST_P(Clipping, NoCaptionIsCutOff) {
    text::setLanguage(GetParam());
    const auto app = std::make_unique<Application>(std::vector<std::wstring>{});
    const unsigned dpi = win32::windowDpi(app->main.dialog.handle());
    SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
    if (const wchar_t* asked = _wgetenv(L"ARDENTIS_CLIPPING_DPI")) {
        ASSERT_EQ(dpi, std::wcstoul(asked, nullptr, 10)) << "run again at another DPI";
    }
    const std::pair<const wchar_t*, HWND> windows[] = {
        {L"login", app->login.dialog.handle()},
        {L"splash", app->splash.dialog.handle()},
        {L"lobby", app->main.dialog.handle()},
        {L"battleroom", app->battleroom.dialog.handle()},
        {L"options", app->options.dialog.handle()}};
    app->options.TabSheet2.setVisible(true);  // the account page, there once logged in
    int measured = 0;
    for (const auto& [name, window] : windows) {
        SCOPED_TRACE(utf8(name));
        measured += checkCaptions(window);
        keepShots(window, name);
    }
    measured += checkModal(*app, wide(text::shown<"请输入密码">()), L"password", [&] {
        (void)app->inputpassword.ask(text::shown<"请输入密码">(), text::shown<"请输入房间密码">());
    });
    measured += checkModal(*app, L"Ardentis", L"message", [&] {
        app->infoBox.showInfo(text::shown<"房间中已经开始战斗了，请战后再来!">());
    });
    if (shotFolder(app->main.dialog.handle())) {
        // The system's own dialog, under our title: kept, not measured.
        checkModal(
            *app, wide(text::shown<"选择TA所在位置">()), L"open-file",
            [&] {
                (void)app->openFile.run(text::shown<"选择TA所在位置">(),
                                        text::shown<"TA执行文件|totala.exe">());
            },
            false);
    }
    EXPECT_GT(measured, 60);
    std::cout << "clipping: " << measured << " controls measured at " << dpi << " DPI\n";
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, Clipping,
                         ::testing::Values(text::Language::Chinese, text::Language::English));

// Sets the prefix's DPI (LogPixels, which Wine reads as a program starts) for as long as it
// lives, then puts back what was there. Any program the prefix starts meanwhile gets it too,
// which is why it lasts only one program's run: the Windows tests run one at a time.
class PrefixDpi {
  public:
    explicit PrefixDpi(DWORD dpi) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
        DWORD size = sizeof(old_);
        had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr,
                                reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
        set(dpi);
    }
    ~PrefixDpi() {
        if (had_) {
            set(old_);
        } else {
            RegDeleteValueW(key_, L"LogPixels");
        }
        RegCloseKey(key_);
    }
    PrefixDpi(const PrefixDpi&) = delete;
    PrefixDpi& operator=(const PrefixDpi&) = delete;

  private:
    void set(DWORD dpi) {
        RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof(dpi));
    }
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

// The same check at 150% and 200%: this program run again at that DPI, for the clipping
// cases only (their pictures go to that DPI's folder).
class ClippingAt : public ::testing::TestWithParam<DWORD> {};

TEST_P(ClippingAt, NoCaptionIsCutOff) {
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(program) + L"\" --gtest_filter=BothLanguages/*";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    DWORD exitCode = 1;
    {
        const PrefixDpi dpi(GetParam());
        SetEnvironmentVariableW(L"ARDENTIS_CLIPPING_DPI", std::to_wstring(GetParam()).c_str());
        const BOOL started = CreateProcessW(program, command.data(), nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &startup, &child);
        SetEnvironmentVariableW(L"ARDENTIS_CLIPPING_DPI", nullptr);
        ASSERT_TRUE(started);
        WaitForSingleObject(child.hProcess, INFINITE);
    }
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_EQ(exitCode, 0U) << "clipped captions at " << GetParam() << " DPI (above)";
}

INSTANTIATE_TEST_SUITE_P(OtherDpi, ClippingAt, ::testing::Values(144, 192));

}  // namespace
}  // namespace ardentis::app
