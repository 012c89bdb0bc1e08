#include <windows.h>

#include "tests/app/app_fixture.h"

#include <chrono>
#include <cstdint>
#include <fstream>

#include "tests/win32/raw_registry.h"
#include "ui/win32/common_controls.h"

namespace ardentis::app::testing {
namespace {

using ardentis::testing::RawHive;

const std::wstring kOurs = L"Software\\Morvane\\Ardentis";
const std::wstring kOurOptions = L"Software\\Morvane\\Ardentis\\options";

void clearSettings() {
    ardentis::testing::deleteRawTree(RawHive::CurrentUser, kOurs);
}

}  // namespace

bool saveScreenshot(HWND window, const std::string& file) {
    // The client area: without a window manager nobody draws the frame.
    RECT frame{};
    GetClientRect(window, &frame);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&frame), 2);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();
    const auto rowSize = static_cast<std::uint32_t>((width * 3 + 3) & ~3);
    const std::uint32_t imageSize = rowSize * static_cast<std::uint32_t>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageSize;
    info.bmiHeader.biSizeImage = imageSize;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(imageSize));
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return static_cast<bool>(out);
}

AppFixture::AppFixture() {
    win32::initCommonControls();
    clearSettings();
    using ardentis::testing::writeRawText;
    writeRawText(RawHive::CurrentUser, kOurOptions, L"autologin", L"1");
    writeRawText(RawHive::CurrentUser, kOurOptions, L"checkfile", L"1");
    writeRawText(RawHive::CurrentUser, kOurOptions, L"host", L"127.0.0.1");
    writeRawText(RawHive::CurrentUser, kOurOptions, L"port", L"8888");
    app = std::make_unique<Application>(std::vector<std::wstring>{});
}

AppFixture::~AppFixture() {
    app.reset();
    clearSettings();
}

bool AppFixture::pumpUntil(const std::function<bool()>& done, int limitMs) {
    return app->loop.runUntil(done, std::chrono::milliseconds(limitMs));
}

}  // namespace ardentis::app::testing
