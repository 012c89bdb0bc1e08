#include <windows.h>

#include <commctrl.h>

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

std::wstring textOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring itemText(HWND dialog, int controlId) {
    HWND item = GetDlgItem(dialog, controlId);
    EXPECT_NE(item, nullptr) << "no control " << controlId;
    return item != nullptr ? textOf(item) : std::wstring(L"<missing>");
}

SIZE clientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return SIZE{client.right - client.left, client.bottom - client.top};
}

bool hasStyle(HWND window, long style) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & style) == style;
}

bool hasExStyle(HWND window, long style) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & style) == style;
}

std::vector<std::wstring> columnHeadings(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const auto count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<std::wstring> headings;
    for (int index = 0; index < count; ++index) {
        wchar_t buffer[64]{};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = buffer;
        column.cchTextMax = 64;
        SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&column));
        headings.emplace_back(buffer);
    }
    return headings;
}

std::vector<std::wstring> tabTexts(HWND tabs) {
    const auto count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    std::vector<std::wstring> texts;
    for (int index = 0; index < count; ++index) {
        wchar_t buffer[64]{};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = 64;
        SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        texts.emplace_back(buffer);
    }
    return texts;
}

std::vector<std::wstring> comboItems(HWND combo) {
    const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    std::vector<std::wstring> items;
    for (int index = 0; index < count; ++index) {
        const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        items.push_back(text);
    }
    return items;
}

TrackRange trackRange(HWND trackbar) {
    return TrackRange{static_cast<long>(SendMessageW(trackbar, TBM_GETRANGEMIN, 0, 0)),
                      static_cast<long>(SendMessageW(trackbar, TBM_GETRANGEMAX, 0, 0)),
                      static_cast<long>(SendMessageW(trackbar, TBM_GETPOS, 0, 0))};
}

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

void AppFixture::start() {
    app->start();
}

bool AppFixture::pumpUntil(const std::function<bool()>& done, int limitMs) {
    return app->loop.runUntil(done, std::chrono::milliseconds(limitMs));
}

void AppFixture::pumpFor(int ms) {
    app->loop.runUntil([] { return false; }, std::chrono::milliseconds(ms));
}

}  // namespace ardentis::app::testing
