#include <windows.h>

#include "ui/win32/dialog_font.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <iterator>
#include <vector>

namespace ardentis::win32 {
namespace {

constexpr unsigned kDefaultDpi = 96;

// Latin letters, digits, punctuation and Chinese, as the windows show them side by side.
constexpr wchar_t kSample[] = L"Aa09:/(Version)作战指挥室，请输入房间密码";

int CALLBACK noteFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM found) {
    // '@' faces are the vertical variants.
    if (font->lfFaceName[0] != L'@') {
        reinterpret_cast<std::vector<std::wstring>*>(found)->emplace_back(font->lfFaceName);
    }
    return 1;
}

// The installed faces named `name` (all faces when empty) that hold `charset`.
std::vector<std::wstring> findFaces(const wchar_t* name, BYTE charset) {
    LOGFONTW wanted{};
    wanted.lfCharSet = charset;
    wcsncpy(wanted.lfFaceName, name, LF_FACESIZE - 1);
    std::vector<std::wstring> found;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, &noteFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// Whether the face has a glyph for every character of the sample: some CJK faces (Droid
// Sans Fallback) have no Latin letters, and show boxes for them.
bool showsSample(const std::wstring& face) {
    LOGFONTW wanted{};
    wanted.lfHeight = -12;
    wanted.lfCharSet = GB2312_CHARSET;
    wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    const UniqueFont font(CreateFontIndirectW(&wanted));
    if (!font) {
        return false;
    }
    constexpr int kLength = static_cast<int>(std::size(kSample)) - 1;
    std::array<WORD, kLength> glyphs{};
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font.get());
    const DWORD converted =
        GetGlyphIndicesW(screen, kSample, kLength, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return converted == static_cast<DWORD>(kLength) &&
           std::ranges::none_of(glyphs, [](WORD glyph) { return glyph == 0xFFFF; });
}

NONCLIENTMETRICSW nonClientMetrics(unsigned dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    // Windows 10 1607 and later; looked up so that older systems still start. void(*)()
    // stands between the function types, as GCC takes it for any of them.
    static const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
    if (forDpi != nullptr &&
        forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi) != FALSE) {
        return metrics;
    }
    // The system's metrics are for the system DPI.
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (systemDpi > 0) {
        metrics.lfMessageFont.lfHeight =
            MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), systemDpi);
    }
    return metrics;
}

BOOL CALLBACK setFont(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

}  // namespace

void FontDeleter::operator()(HFONT font) const noexcept {
    DeleteObject(font);
}

const std::wstring& chineseFace() {
    static const std::wstring face = [] {
        std::vector<std::wstring> candidates;
        for (const wchar_t* name : {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun"}) {
            const auto found = findFaces(name, DEFAULT_CHARSET);
            candidates.insert(candidates.end(), found.begin(), found.end());
        }
        const auto anyChinese = findFaces(L"", GB2312_CHARSET);
        candidates.insert(candidates.end(), anyChinese.begin(), anyChinese.end());
        const auto chosen = std::ranges::find_if(candidates, showsSample);
        return chosen != candidates.end() ? *chosen : std::wstring();
    }();
    return face;
}

UniqueFont createMessageFont(unsigned dpi) {
    LOGFONTW font = nonClientMetrics(dpi).lfMessageFont;
    if (const std::wstring& face = chineseFace(); !face.empty()) {
        wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        font.lfFaceName[LF_FACESIZE - 1] = L'\0';
        font.lfCharSet = GB2312_CHARSET;
    }
    return UniqueFont(CreateFontIndirectW(&font));
}

unsigned windowDpi(HWND window) {
    using ForWindow = UINT(WINAPI*)(HWND);
    static const auto forWindow = reinterpret_cast<ForWindow>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow != nullptr) {
        if (const UINT dpi = forWindow(window); dpi != 0) {
            return dpi;
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : kDefaultDpi;
}

void applyFont(HWND window, HFONT font) {
    EnumChildWindows(window, &setFont, reinterpret_cast<LPARAM>(font));
}

}  // namespace ardentis::win32
