#pragma once

#include "platform/game_windows.h"

namespace ardentis::platform {

// The games' top-level windows through user32 and gdi32: FindWindowW by title, the colours
// through the window's device context, SendMessageW.
class Win32GameWindows final : public GameWindows {
  public:
    [[nodiscard]] WindowHandle findWindow(const text::Gbk& title) const override;
    [[nodiscard]] std::expected<void, OsError> readPixels(WindowHandle window,
                                                          std::span<const PixelPoint> points,
                                                          std::span<Rgb> colours) const override;
    void sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
};

}  // namespace ardentis::platform
