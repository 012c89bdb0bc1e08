#pragma once

#include <cstdint>

#include "platform/fake/fake_game_windows.h"

struct HDC__;
using HDC = HDC__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;

namespace ardentis::sim {

// A simulated window's picture as a 32-bit DIB section held in a memory DC: drawn pixel by
// pixel from the portable model, so that whoever reads the window sees exactly the model's
// colours, and blitted to the window in one piece when it paints.
class FrameBitmap {
  public:
    FrameBitmap(int width, int height);
    ~FrameBitmap();
    FrameBitmap(const FrameBitmap&) = delete;
    FrameBitmap& operator=(const FrameBitmap&) = delete;

    [[nodiscard]] bool ready() const { return bits_ != nullptr; }
    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }
    // Every pixel as the model shows it now.
    void draw(const platform::SimulatedWindow& window);
    // Copies the picture to the top left corner of `target`.
    void paint(HDC target) const;

  private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    void* previous_ = nullptr;  // the memory DC's own bitmap, put back before deletion
    std::uint32_t* bits_ = nullptr;
};

}  // namespace ardentis::sim
