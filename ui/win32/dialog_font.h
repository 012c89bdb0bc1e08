#pragma once

#include <memory>
#include <string>

#include "ui/win32/hwnd_fwd.h"

namespace ardentis::win32 {

struct FontDeleter {
    void operator()(HFONT font) const noexcept;
};
using UniqueFont = std::unique_ptr<HFONT__, FontDeleter>;

// The face the windows use: the first of "Microsoft YaHei UI", "Microsoft YaHei",
// "SimSun" and then any face with the GB2312 characters (under Wine, WenQuanYi) that has a
// glyph for Latin letters, digits, punctuation and Chinese alike; empty when none has, and
// the message font's own face is kept.
[[nodiscard]] const std::wstring& chineseFace();

// The system's message font for `dpi` (SPI_GETNONCLIENTMETRICS, per DPI where the system
// offers it) in the Chinese face.
[[nodiscard]] UniqueFont createMessageFont(unsigned dpi);

// The DPI of the monitor the window is on (GetDpiForWindow where the system has it).
[[nodiscard]] unsigned windowDpi(HWND window);

// Sends WM_SETFONT to every descendant of `window`.
void applyFont(HWND window, HFONT font);

}  // namespace ardentis::win32
