#pragma once

#include "platform/fake/fake_game_windows.h"
#include "platform/win32/dib_section.h"

namespace ardentis::sim {

// A simulated window's picture: drawn pixel by pixel from the portable model, so that
// whoever reads the window sees exactly the model's colours, and blitted to the window in
// one piece when it paints.
class FrameBitmap {
  public:
    FrameBitmap(int width, int height) : pixels_(width, height) {}

    [[nodiscard]] bool ready() const { return pixels_.ready(); }
    // Every pixel as the model shows it now.
    void draw(const platform::SimulatedWindow& window);
    // Copies the picture to the top left corner of `target`.
    void paint(HDC target) const;

  private:
    platform::DibSection pixels_;
};

}  // namespace ardentis::sim
