#include <windows.h>

#include "tests/sim_games/frame_bitmap.h"

namespace ardentis::sim {

FrameBitmap::FrameBitmap(int width, int height)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc_ != nullptr && bitmap_ != nullptr) {
        previous_ = SelectObject(dc_, bitmap_);
        bits_ = static_cast<std::uint32_t*>(bits);
    }
}

FrameBitmap::~FrameBitmap() {
    if (previous_ != nullptr) {
        SelectObject(dc_, previous_);
    }
    if (bitmap_ != nullptr) {
        DeleteObject(bitmap_);
    }
    if (dc_ != nullptr) {
        DeleteDC(dc_);
    }
}

void FrameBitmap::draw(const platform::SimulatedWindow& window) {
    if (bits_ == nullptr) {
        return;
    }
    GdiFlush();  // no blit from the DIB may still be pending while its bits change
    std::uint32_t* pixel = bits_;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const platform::Rgb colour = window.pixel({x, y});
            *pixel++ = (std::uint32_t{colour.r} << 16U) | (std::uint32_t{colour.g} << 8U) |
                       std::uint32_t{colour.b};
        }
    }
}

void FrameBitmap::paint(HDC target) const {
    if (bits_ != nullptr) {
        BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    }
}

}  // namespace ardentis::sim
