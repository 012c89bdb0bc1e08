#include <windows.h>

#include <commctrl.h>

#include "ui/win32/fitted_picture.h"

#include "ui/win32/dialog_font.h"

namespace ardentis::win32 {
namespace {

constexpr int kDesignDpi = 96;
// WM_DPICHANGED_AFTERPARENT, named here for SDKs that predate it.
constexpr UINT kDpiChangedAfterParent = 0x02E3;
// Subclass id; any value unique per window serves.
constexpr UINT_PTR kPictureSubclass = 0x41524435;

SIZE bitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

bool sameSize(SIZE one, SIZE other) {
    return one.cx == other.cx && one.cy == other.cy;
}

HBITMAP shownBitmap(HWND control) {
    return reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

// `source` drawn into a new 24-bit bitmap (no alpha, so the static keeps it as it is) of
// `size`, with the halftone filter; null when the bitmap cannot be made.
HBITMAP stretched(HBITMAP source, SIZE size) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size.cx;
    format.bmiHeader.biHeight = size.cy;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP target = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (target != nullptr && from != nullptr && to != nullptr) {
        const HGDIOBJ oldFrom = SelectObject(from, source);
        const HGDIOBJ oldTo = SelectObject(to, target);
        const SIZE original = bitmapSize(source);
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);  // as HALFTONE asks after the mode is set
        StretchBlt(to, 0, 0, size.cx, size.cy, from, 0, 0, original.cx, original.cy, SRCCOPY);
        SelectObject(to, oldTo);
        SelectObject(from, oldFrom);
    }
    DeleteDC(to);
    DeleteDC(from);
    return target;
}

// STM_SETIMAGE hands back the picture shown before, which is then ours to delete (unless it is
// the original, kept for the next size). The control keeps a copy of a picture with alpha and
// hands that back in turn, so a picture it copied is deleted at once.
void replaceBitmap(HWND control, HBITMAP picture, HBITMAP original) {
    const auto previous = reinterpret_cast<HBITMAP>(
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (previous != nullptr && previous != original && previous != picture) {
        DeleteObject(previous);
    }
    if (picture != nullptr && picture != original && shownBitmap(control) != picture) {
        DeleteObject(picture);
    }
}

// Shows the original stretched to the client area, unless what is shown already fits it.
void fill(HWND control, HBITMAP original) {
    RECT area{};
    GetClientRect(control, &area);
    const SIZE wanted{area.right - area.left, area.bottom - area.top};
    if (wanted.cx <= 0 || wanted.cy <= 0) {
        return;
    }
    const HBITMAP current = shownBitmap(control);
    if (current != nullptr && sameSize(bitmapSize(current), wanted)) {
        return;
    }
    if (sameSize(bitmapSize(original), wanted)) {
        replaceBitmap(control, original, original);
    } else if (HBITMAP picture = stretched(original, wanted)) {
        replaceBitmap(control, picture, original);
    }
}

// The picture's own size in pixels at 96 DPI, scaled to the control's DPI.
void placeAtDesignSize(HWND control, HBITMAP original) {
    const int dpi = static_cast<int>(windowDpi(control));
    const SIZE size = bitmapSize(original);
    SetWindowPos(control, nullptr, 0, 0, MulDiv(size.cx, dpi, kDesignDpi),
                 MulDiv(size.cy, dpi, kDesignDpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The subclass data is the original picture, which the subclass owns.
LRESULT CALLBACK pictureProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR, DWORD_PTR data) {
    const auto original = reinterpret_cast<HBITMAP>(data);
    switch (message) {
        case WM_SIZE: {
            const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
            fill(control, original);
            return result;
        }
        case kDpiChangedAfterParent:
            placeAtDesignSize(control, original);
            break;
        case WM_NCDESTROY:
            // The control then holds no picture it could delete, or leave behind.
            replaceBitmap(control, nullptr, original);
            DeleteObject(original);
            RemoveWindowSubclass(control, &pictureProcedure, kPictureSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

void fitPicture(HWND control) {
    const HBITMAP original = shownBitmap(control);
    if (original == nullptr || SetWindowSubclass(control, &pictureProcedure, kPictureSubclass,
                                                 reinterpret_cast<DWORD_PTR>(original)) == FALSE) {
        return;
    }
    placeAtDesignSize(control, original);
    fill(control, original);
}

}  // namespace ardentis::win32
