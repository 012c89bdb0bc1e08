#include <windows.h>

#include <objidl.h>  // GDI+ needs it, left out by WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

#include "tests/app/window_shot.h"

namespace ardentis::app {
namespace {

// GDI+'s PNG encoder, {557CF406-1A04-11D3-9A73-0000F81EF32E}.
constexpr CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// Started once, for the life of the test program.
bool gdiplusStarted() {
    static const bool started = [] {
        ULONG_PTR token = 0;
        const Gdiplus::GdiplusStartupInput input;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    return started;
}

}  // namespace

bool saveWindowShot(HWND window, const std::filesystem::path& file) {
    // Under Wine neither a copy of the screen nor PrintWindow gives the pixels; the window's
    // own surface, read through its window DC once painted, does.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(window, source);
    bool saved = false;
    if (copied && gdiplusStarted()) {
        std::error_code ignored;
        std::filesystem::create_directories(file.parent_path(), ignored);
        Gdiplus::Bitmap image(bitmap, nullptr);
        saved = image.Save(file.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    }
    DeleteObject(bitmap);
    return saved;
}

}  // namespace ardentis::app
