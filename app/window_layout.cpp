#include <windows.h>

#include <commctrl.h>
#include <imm.h>

#include "app/resource.h"
#include "app/window_layout.h"
#include "ui/win32/dialog_font.h"

namespace ardentis::app {
namespace {

constexpr int kDesignDpi = 96;

// Subclass ids; any value unique per window serves.
constexpr UINT_PTR kColourSubclass = 0x41524431;
constexpr UINT_PTR kCursorSubclass = 0x41524432;
constexpr UINT_PTR kFocusSubclass = 0x41524433;

// The subclass's data carries the control id in its upper half and the colour in its lower.
DWORD_PTR packColour(int controlId, COLORREF colour) {
    return (static_cast<DWORD_PTR>(static_cast<std::uint32_t>(controlId)) << 32) | colour;
}

LRESULT CALLBACK colourProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) {
    const auto controlId = static_cast<int>(static_cast<std::uint32_t>(data >> 32));
    const auto colour = static_cast<COLORREF>(data & 0xFFFFFFFFu);
    if (message == WM_CTLCOLORSTATIC && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == controlId) {
        // Let the dialog pick the background, then change only the text colour.
        const LRESULT brush = DefSubclassProc(window, message, wParam, lParam);
        SetTextColor(reinterpret_cast<HDC>(wParam), colour);
        return brush != 0 ? brush : reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &colourProcedure, kColourSubclass);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK cursorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR) {
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &cursorProcedure, kCursorSubclass);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK focusProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR data) {
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        SetFocus(reinterpret_cast<HWND>(data));
        return result;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &focusProcedure, kFocusSubclass);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void setClientSize(HWND window, int width, int height) {
    const int dpi = static_cast<int>(win32::windowDpi(window));
    RECT frame{0, 0, MulDiv(width, dpi, kDesignDpi), MulDiv(height, dpi, kDesignDpi)};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void setHeight(HWND window, int height) {
    const int dpi = static_cast<int>(win32::windowDpi(window));
    RECT frame{};
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, MulDiv(height, dpi, kDesignDpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void layPagesOver(HWND tabs, std::initializer_list<HWND> pages) {
    for (HWND page : pages) {
        RECT area{};
        GetClientRect(tabs, &area);
        SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
        MapWindowPoints(tabs, GetParent(page), reinterpret_cast<POINT*>(&area), 2);
        SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void centre(HWND window, HWND over) {
    RECT area{};
    if (over != nullptr) {
        GetWindowRect(over, &area);
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    RECT own{};
    GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int x = area.left + ((area.right - area.left) - width) / 2;
    const int y = area.top + ((area.bottom - area.top) - height) / 2;
    SetWindowPos(window, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void colourStaticText(HWND dialog, int controlId, std::uint32_t rgb) {
    SetWindowSubclass(dialog, &colourProcedure, kColourSubclass,
                      packColour(controlId, static_cast<COLORREF>(rgb)));
}

void showHandCursor(HWND window) {
    SetWindowSubclass(window, &cursorProcedure, kCursorSubclass, 0);
}

void focusOnActivate(HWND dialog, HWND control) {
    SetWindowSubclass(dialog, &focusProcedure, kFocusSubclass,
                      reinterpret_cast<DWORD_PTR>(control));
}

void setProgramIcon(HWND window) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    const auto load = [module](int size) {
        return reinterpret_cast<LPARAM>(
            LoadImageW(module, MAKEINTRESOURCEW(IDI_ARDENTIS), IMAGE_ICON, size, size, LR_SHARED));
    };
    SendMessageW(window, WM_SETICON, ICON_BIG, load(GetSystemMetrics(SM_CXICON)));
    SendMessageW(window, WM_SETICON, ICON_SMALL, load(GetSystemMetrics(SM_CXSMICON)));
}

win32::UniqueFont smallerFont(HFONT base, int pixels, unsigned dpi) {
    LOGFONTW font{};
    GetObjectW(base, sizeof font, &font);
    font.lfHeight = -MulDiv(pixels, static_cast<int>(dpi), kDesignDpi);
    font.lfWidth = 0;
    return win32::UniqueFont(CreateFontIndirectW(&font));
}

void closeInputMethod(HWND edit) {
    if (HIMC context = ImmGetContext(edit)) {
        ImmSetOpenStatus(context, FALSE);
        ImmReleaseContext(edit, context);
    }
}

void disableInputMethod(HWND edit) {
    ImmAssociateContext(edit, nullptr);
}

}  // namespace ardentis::app
