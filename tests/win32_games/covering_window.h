#pragma once

#include <cstdint>

#include "platform/game_windows.h"

namespace ardentis::testing {

// A topmost window of this process in one colour, laid over the left part (`width` pixels)
// of another program's client area, as a chat or overlay program would lie over the game.
class CoveringWindow {
  public:
    CoveringWindow(platform::WindowHandle covered, int width, platform::Rgb colour);
    ~CoveringWindow();
    CoveringWindow(const CoveringWindow&) = delete;
    CoveringWindow& operator=(const CoveringWindow&) = delete;

    // Whether the screen shows it yet, at a point of the covered window's client area.
    [[nodiscard]] bool onScreenAt(platform::PixelPoint point) const;
    void remove();

  private:
    platform::WindowHandle covered_;
    platform::Rgb colour_;
    platform::WindowHandle window_ = platform::kNoWindow;
    void* brush_ = nullptr;
};

}  // namespace ardentis::testing
