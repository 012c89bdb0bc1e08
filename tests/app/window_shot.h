#pragma once

#include <filesystem>

#include "ui/win32/hwnd_fwd.h"

namespace ardentis::app {

// Saves the window as the user sees it now, frame and children, as a PNG file; false when
// it could not. Paints the window first, so that what is saved is what it draws.
bool saveWindowShot(HWND window, const std::filesystem::path& file);

}  // namespace ardentis::app
