// Every caption of the real windows fits its control, in both languages, at the DPI this Wine
// prefix runs at (LogPixels): statics, buttons, check boxes, radio buttons, group boxes and the
// read-only note, and every list column's heading, each measured with the font the control draws
// with.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/win32/wide_text.h"
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
                          << text::toUtf8(platform::wideToGbkLossy(heading)).value_or("?")
                          << "\" needs " << size.cx + frame << " px, has " << item.cxy;
        }
    }
    return std::nullopt;
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

class Clipping : public ::testing::TestWithParam<text::Language> {
  protected:
    Clipping() { win32::initCommonControls(); }
    ~Clipping() override { text::setLanguage(text::Language::Chinese); }
};

TEST_P(Clipping, NoCaptionIsCutOff) {
    text::setLanguage(GetParam());
    const auto app = std::make_unique<Application>(std::vector<std::wstring>{});
    SCOPED_TRACE("at " + std::to_string(win32::windowDpi(app->main.dialog.handle())) + " DPI");
    std::vector<std::pair<HWND, int>> controls;
    for (HWND window : {app->main.dialog.handle(), app->login.dialog.handle(),
                        app->battleroom.dialog.handle(), app->options.dialog.handle()}) {
        EnumChildWindows(
            window,
            [](HWND child, LPARAM found) -> BOOL {
                reinterpret_cast<std::vector<std::pair<HWND, int>>*>(found)->emplace_back(
                    child, GetDlgCtrlID(child));
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&controls));
    }
    int measured = 0;
    for (const auto& [control, id] : controls) {
        ++measured;
        if (const auto cut = clipped(control)) {
            ADD_FAILURE() << "control " << id << " \""
                          << text::toUtf8(platform::wideToGbkLossy(cut->text)).value_or("?")
                          << "\" needs " << cut->needed << " px, has " << cut->available;
        }
    }
    EXPECT_GT(measured, 60);
    std::cout << "clipping: " << measured << " controls measured at "
              << win32::windowDpi(app->main.dialog.handle()) << " DPI\n";
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, Clipping,
                         ::testing::Values(text::Language::Chinese, text::Language::English));

}  // namespace
}  // namespace ardentis::app
