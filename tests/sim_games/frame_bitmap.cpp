#include <windows.h>

#include "tests/sim_games/frame_bitmap.h"

namespace ardentis::sim {

void FrameBitmap::draw(const platform::SimulatedWindow& window) {
    if (!pixels_.ready()) {
        return;
    }
    GdiFlush();  // no blit from the bitmap may still be pending while its pixels change
    for (int y = 0; y < pixels_.height(); ++y) {
        for (int x = 0; x < pixels_.width(); ++x) {
            pixels_.set(x, y, window.pixel({x, y}));
        }
    }
}

void FrameBitmap::paint(HDC target) const {
    if (pixels_.ready()) {
        BitBlt(target, 0, 0, pixels_.width(), pixels_.height(), pixels_.dc(), 0, 0, SRCCOPY);
    }
}

}  // namespace ardentis::sim
