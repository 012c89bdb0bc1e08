#pragma once

#include <memory>

#include "platform/game_windows.h"
#include "platform/win32/dib_section.h"

namespace ardentis::platform {

// The games' top-level windows through user32 and gdi32: FindWindowW by title, the colours
// by one blit from the window's device context per reading, SendMessageW. Used on one
// thread (the window thread), as the bitmap the blits land in is kept between readings.
class Win32GameWindows final : public GameWindows {
  public:
    Win32GameWindows();
    ~Win32GameWindows() override;
    Win32GameWindows(const Win32GameWindows&) = delete;
    Win32GameWindows& operator=(const Win32GameWindows&) = delete;

    [[nodiscard]] WindowHandle findWindow(const text::Gbk& title) const override;
    [[nodiscard]] std::expected<void, OsError> readPixels(WindowHandle window,
                                                          std::span<const PixelPoint> points,
                                                          std::span<Rgb> colours) const override;
    void sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;

  private:
    // The last reading's bitmap, kept for the next reading of the same size: the automation
    // asks for the same rectangle every step, and a fresh bitmap each time cost about a
    // quarter of a reading.
    mutable std::unique_ptr<DibSection> capture_;
};

}  // namespace ardentis::platform
