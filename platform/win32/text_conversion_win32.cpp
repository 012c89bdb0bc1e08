// Every text conversion of the Windows build: code page 936 <-> UTF-16 for the wide API,
// and through it code page 936 <-> UTF-8. Code page 936 is named explicitly, never CP_ACP:
// under Wine or on a non-Chinese Windows the ANSI page is not 936.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>

#include "platform/win32/wide_text.h"
#include "text/code_page.h"

namespace ardentis {
namespace {

constexpr UINT kCodePage936 = 936;

// Strict conversion to UTF-16: bytes not valid in the code page are an error.
std::expected<std::wstring, text::ConversionError> toWide(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) {
        return std::wstring();
    }
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::unexpected(text::ConversionError::InvalidInput);
    }
    const int length = static_cast<int>(bytes.size());
    const int needed =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (needed <= 0) {
        return std::unexpected(text::ConversionError::InvalidInput);
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(), needed);
    return wide;
}

// Strict conversion from UTF-16: a character the code page cannot hold is an error.
std::expected<std::string, text::ConversionError> fromWide(std::wstring_view wide, UINT codePage) {
    if (wide.empty()) {
        return std::string();
    }
    if (wide.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::unexpected(text::ConversionError::InvalidInput);
    }
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    // UTF-8 holds every character and refuses the used-default check.
    BOOL* usedDefaultPtr = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
    const int needed = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0,
                                           nullptr, usedDefaultPtr);
    if (needed <= 0 || usedDefault) {
        return std::unexpected(codePage == CP_UTF8 ? text::ConversionError::InvalidInput
                                                   : text::ConversionError::NotRepresentable);
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), length, bytes.data(), needed, nullptr,
                        nullptr);
    return bytes;
}

}  // namespace

namespace platform {

std::expected<std::wstring, text::ConversionError> gbkToWide(std::string_view gbk) {
    return toWide(gbk, kCodePage936);
}

std::expected<text::Gbk, text::ConversionError> wideToGbk(std::wstring_view wide) {
    auto bytes = fromWide(wide, kCodePage936);
    if (!bytes) {
        return std::unexpected(bytes.error());
    }
    return text::Gbk(*std::move(bytes));
}

std::wstring gbkToWideLossy(std::string_view gbk) {
    if (auto strict = gbkToWide(gbk)) {
        return std::move(*strict);
    }
    const int length = static_cast<int>(std::min<std::size_t>(gbk.size(), INT_MAX));
    const int needed = MultiByteToWideChar(kCodePage936, 0, gbk.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(kCodePage936, 0, gbk.data(), length, wide.data(), needed);
    return wide;
}

text::Gbk wideToGbkLossy(std::wstring_view wide) {
    if (auto strict = wideToGbk(wide)) {
        return std::move(*strict);
    }
    const int length = static_cast<int>(std::min<std::size_t>(wide.size(), INT_MAX));
    const int needed =
        WideCharToMultiByte(kCodePage936, 0, wide.data(), length, nullptr, 0, "?", nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(kCodePage936, 0, wide.data(), length, bytes.data(), needed, "?", nullptr);
    return text::Gbk(std::move(bytes));
}

}  // namespace platform

namespace text {

std::expected<Gbk, ConversionError> fromUtf8(std::string_view utf8) {
    if (!isValidUtf8(utf8)) {
        return std::unexpected(ConversionError::InvalidInput);
    }
    auto wide = toWide(utf8, CP_UTF8);
    if (!wide) {
        return std::unexpected(wide.error());
    }
    return platform::wideToGbk(*wide);
}

std::expected<std::string, ConversionError> toUtf8(const Gbk& gbk) {
    auto wide = platform::gbkToWide(gbk.view());
    if (!wide) {
        return std::unexpected(wide.error());
    }
    return fromWide(*wide, CP_UTF8);
}

}  // namespace text
}  // namespace ardentis
