#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/win32/dib_section.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_game_windows.h"

namespace ardentis::platform {
namespace {

// What a point outside the client area reads as. No probe tests for white, so such a point
// matches no menu while the points the window does show still decide. A window smaller than
// the probes assume (still opening, or minimised to nothing) is there but shows no menu;
// only a window that has gone is an error.
constexpr Rgb kOutside{255, 255, 255};

HWND hwndOf(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

OsError lastError(const char* api) {
    return {api, static_cast<int>(GetLastError())};
}

class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    [[nodiscard]] HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

bool inside(const RECT& area, PixelPoint point) {
    return point.x >= area.left && point.x < area.right && point.y >= area.top &&
           point.y < area.bottom;
}

}  // namespace

Win32GameWindows::Win32GameWindows() = default;
Win32GameWindows::~Win32GameWindows() = default;

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
    const HWND target = hwndOf(window);
    // Also keeps a null handle from reaching GetDC, which would give the whole screen.
    if (IsWindow(target) == FALSE) {
        return std::unexpected(OsError{"IsWindow", ERROR_INVALID_WINDOW_HANDLE});
    }
    RECT client{};
    if (GetClientRect(target, &client) == FALSE) {
        return std::unexpected(lastError("GetClientRect"));
    }
    const std::size_t count = std::min(points.size(), colours.size());
    // One blit of the smallest rectangle that holds every point the client area shows.
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (std::size_t i = 0; i < count; ++i) {
        colours[i] = kOutside;
        if (inside(client, points[i])) {
            box.left = std::min<LONG>(box.left, points[i].x);
            box.top = std::min<LONG>(box.top, points[i].y);
            box.right = std::max<LONG>(box.right, points[i].x + 1);
            box.bottom = std::max<LONG>(box.bottom, points[i].y + 1);
        }
    }
    if (box.left >= box.right) {
        return {};
    }
    const int width = static_cast<int>(box.right - box.left);
    const int height = static_cast<int>(box.bottom - box.top);
    const WindowDc source(target);
    if (source.get() == nullptr) {
        return std::unexpected(lastError("GetDC"));
    }
    if (!capture_ || capture_->width() != width || capture_->height() != height) {
        capture_.reset();  // the old one goes before the new one is made
        auto fresh = std::make_unique<DibSection>(width, height);
        if (!fresh->ready()) {
            return std::unexpected(lastError("CreateDIBSection"));
        }
        capture_ = std::move(fresh);
    }
    DibSection& capture = *capture_;
    // Each point to be read is marked first, so that one the blit leaves unwritten reads as
    // outside, never as an earlier frame; clearing the whole bitmap costs more than that.
    GdiFlush();  // nothing queued may write the bits after they are marked
    for (std::size_t i = 0; i < count; ++i) {
        if (inside(client, points[i])) {
            capture.set(points[i].x - static_cast<int>(box.left),
                        points[i].y - static_cast<int>(box.top), kOutside);
        }
    }
    if (BitBlt(capture.dc(), 0, 0, width, height, source.get(), static_cast<int>(box.left),
               static_cast<int>(box.top), SRCCOPY) == FALSE) {
        return std::unexpected(lastError("BitBlt"));
    }
    GdiFlush();  // the DIB's bits are complete only once GDI has done its queued work
    for (std::size_t i = 0; i < count; ++i) {
        if (inside(client, points[i])) {
            colours[i] = capture.at(points[i].x - static_cast<int>(box.left),
                                    points[i].y - static_cast<int>(box.top));
        }
    }
    return {};
}

void Win32GameWindows::sendMessage(WindowHandle window, std::uint32_t message,
                                   std::uintptr_t wParam, std::intptr_t lParam) {
    SendMessageW(hwndOf(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

}  // namespace ardentis::platform
