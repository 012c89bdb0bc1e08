#pragma once

#include <cstdint>
#include <expected>
#include <span>

#include "platform/os_error.h"
#include "text/gbk.h"

namespace ardentis::platform {

// A top-level window of another program, as the system names it; kNoWindow is none.
using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoWindow = 0;

// A point in a window's client area: x to the right, y downwards.
struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// A 24-bit colour as the window's device context reports it.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The message numbers the client sends to a game's window.
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201;
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;

// The top-level windows of the games: found by their exact title (any window class),
// read through their device context, driven by window messages.
class GameWindows {
  public:
    virtual ~GameWindows() = default;
    // The first top-level window with exactly this title, or kNoWindow.
    [[nodiscard]] virtual WindowHandle findWindow(const text::Gbk& title) const = 0;
    // Reads the colour at every point in one capture of the window's client area, so that
    // all readings come from the same frame. Fails when the window has gone.
    [[nodiscard]] virtual std::expected<void, OsError> readPixels(
        WindowHandle window, std::span<const PixelPoint> points, std::span<Rgb> colours) const = 0;
    // Sends the message and returns once the window has handled it. A window that has gone
    // simply does not receive it.
    virtual void sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
};

}  // namespace ardentis::platform
