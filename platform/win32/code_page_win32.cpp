// GBK <-> UTF-8 through the system's code page 936 tables. Named explicitly, never
// CP_ACP: under Wine or on a non-Chinese Windows the ANSI page is not 936.
#include <windows.h>

#include <climits>
#include <string>

#include "text/code_page.h"

namespace ardentis::text {
namespace {

constexpr UINT kCodePage936 = 936;

std::expected<std::wstring, ConversionError> toWide(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) {
        return std::wstring();
    }
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::unexpected(ConversionError::InvalidInput);
    }
    const int inLength = static_cast<int>(bytes.size());
    const int needed =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLength, nullptr, 0);
    if (needed <= 0) {
        return std::unexpected(ConversionError::InvalidInput);
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inLength, wide.data(),
                        needed);
    return wide;
}

std::expected<std::string, ConversionError> fromWide(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) {
        return std::string();
    }
    const int inLength = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    // The used-default check is not allowed for UTF-8, which can encode everything.
    BOOL* usedDefaultPtr = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
    const int needed = WideCharToMultiByte(codePage, flags, wide.data(), inLength, nullptr, 0,
                                           nullptr, usedDefaultPtr);
    if (needed <= 0) {
        return std::unexpected(ConversionError::InvalidInput);
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), inLength, bytes.data(), needed, nullptr,
                        usedDefaultPtr);
    if (usedDefault) {
        return std::unexpected(ConversionError::NotRepresentable);
    }
    return bytes;
}

}  // namespace

std::expected<Gbk, ConversionError> fromUtf8(std::string_view utf8) {
    if (!isValidUtf8(utf8)) {
        return std::unexpected(ConversionError::InvalidInput);
    }
    auto wide = toWide(utf8, CP_UTF8);
    if (!wide) {
        return std::unexpected(wide.error());
    }
    auto bytes = fromWide(*wide, kCodePage936);
    if (!bytes) {
        return std::unexpected(bytes.error() == ConversionError::InvalidInput
                                   ? ConversionError::NotRepresentable
                                   : bytes.error());
    }
    return Gbk(*std::move(bytes));
}

std::expected<std::string, ConversionError> toUtf8(const Gbk& text) {
    auto wide = toWide(text.view(), kCodePage936);
    if (!wide) {
        return std::unexpected(wide.error());
    }
    return fromWide(*wide, CP_UTF8);
}

}  // namespace ardentis::text
