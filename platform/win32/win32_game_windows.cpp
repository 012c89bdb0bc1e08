#include <windows.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_game_windows.h"

namespace ardentis::platform {
namespace {

HWND hwndOf(WindowHandle window) {
    return reinterpret_cast<HWND>(window);  // NOLINT(performance-no-int-to-ptr)
}

}  // namespace

WindowHandle Win32GameWindows::findWindow(const text::Gbk& title) const {
    const auto wide = gbkToWide(title.view());
    if (!wide) {
        return kNoWindow;
    }
    return reinterpret_cast<WindowHandle>(FindWindowW(nullptr, wide->c_str()));
}

std::expected<void, OsError> Win32GameWindows::readPixels(WindowHandle window,
                                                          std::span<const PixelPoint> points,
                                                          std::span<Rgb> colours) const {
    HDC dc = GetDC(hwndOf(window));
    if (dc == nullptr) {
        return std::unexpected(OsError{"GetDC", static_cast<int>(GetLastError())});
    }
    for (std::size_t i = 0; i < points.size() && i < colours.size(); ++i) {
        const COLORREF colour = GetPixel(dc, points[i].x, points[i].y);
        // CLR_INVALID (outside the clip region) reads as white, which no probe tests for.
        colours[i] = colour == CLR_INVALID
                         ? Rgb{255, 255, 255}
                         : Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    }
    ReleaseDC(hwndOf(window), dc);
    return {};
}

void Win32GameWindows::sendMessage(WindowHandle window, std::uint32_t message,
                                   std::uintptr_t wParam, std::intptr_t lParam) {
    SendMessageW(hwndOf(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

}  // namespace ardentis::platform
