#include <windows.h>

#include <algorithm>

#include "tests/win32_games/covering_window.h"

namespace ardentis::testing {
namespace {

constexpr const wchar_t* kClassName = L"ArdentisCoveringWindow";

HWND hwndOf(platform::WindowHandle window) {
    return reinterpret_cast<HWND>(window);  // NOLINT(performance-no-int-to-ptr)
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT client{};
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client,
                 reinterpret_cast<HBRUSH>(GetWindowLongPtrW(window, GWLP_USERDATA)));
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

CoveringWindow::CoveringWindow(platform::WindowHandle covered, int width, platform::Rgb colour)
    : covered_(covered),
      colour_(colour),
      brush_(CreateSolidBrush(RGB(colour.r, colour.g, colour.b))) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);  // fails harmlessly when already registered
    RECT area{};
    GetClientRect(hwndOf(covered), &area);
    area.right = std::min<LONG>(area.right, width);
    MapWindowPoints(hwndOf(covered), nullptr, reinterpret_cast<POINT*>(&area), 2);
    HWND window =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"cover", WS_POPUP, area.left,
                        area.top, area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                        windowClass.hInstance, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(brush_));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    window_ = reinterpret_cast<platform::WindowHandle>(window);
}

CoveringWindow::~CoveringWindow() {
    remove();
    DeleteObject(brush_);
}

bool CoveringWindow::onScreenAt(platform::PixelPoint point) const {
    POINT at{point.x, point.y};
    ClientToScreen(hwndOf(covered_), &at);
    HDC screen = GetDC(nullptr);
    const COLORREF shown = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return shown == RGB(colour_.r, colour_.g, colour_.b);
}

void CoveringWindow::remove() {
    if (IsWindow(hwndOf(window_)) != FALSE) {
        DestroyWindow(hwndOf(window_));
    }
}

}  // namespace ardentis::testing
