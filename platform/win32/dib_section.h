#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/game_windows.h"

struct HDC__;
using HDC = HDC__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;

namespace ardentis::platform {

// A top-down 32-bit DIB section selected into a memory DC of its own, whose pixels are read
// and written directly. Call GdiFlush before touching the pixels while a blit into or out of
// it may still be queued.
class DibSection {
  public:
    DibSection(int width, int height);
    ~DibSection();
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    [[nodiscard]] bool ready() const { return bits_ != nullptr; }
    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }
    [[nodiscard]] HDC dc() const { return dc_; }

    [[nodiscard]] Rgb at(int x, int y) const {
        const std::uint32_t value = bits_[index(x, y)];
        return {static_cast<std::uint8_t>(value >> 16U), static_cast<std::uint8_t>(value >> 8U),
                static_cast<std::uint8_t>(value)};
    }
    void set(int x, int y, Rgb colour) {
        bits_[index(x, y)] = (std::uint32_t{colour.r} << 16U) | (std::uint32_t{colour.g} << 8U) |
                             std::uint32_t{colour.b};
    }

  private:
    [[nodiscard]] std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }

    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    void* previous_ = nullptr;  // the memory DC's own bitmap, put back before deletion
    std::uint32_t* bits_ = nullptr;
};

}  // namespace ardentis::platform
