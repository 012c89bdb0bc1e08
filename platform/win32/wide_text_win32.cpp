#include <windows.h>

#include <algorithm>
#include <climits>

#include "platform/win32/wide_text.h"

namespace ardentis::platform {
namespace {

constexpr UINT kCodePage936 = 936;

}  // namespace

std::expected<std::wstring, text::ConversionError> gbkToWide(std::string_view gbk) {
    if (gbk.empty()) {
        return std::wstring();
    }
    if (gbk.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::unexpected(text::ConversionError::InvalidInput);
    }
    const int length = static_cast<int>(gbk.size());
    const int needed =
        MultiByteToWideChar(kCodePage936, MB_ERR_INVALID_CHARS, gbk.data(), length, nullptr, 0);
    if (needed <= 0) {
        return std::unexpected(text::ConversionError::InvalidInput);
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(kCodePage936, MB_ERR_INVALID_CHARS, gbk.data(), length, wide.data(),
                        needed);
    return wide;
}

std::expected<text::Gbk, text::ConversionError> wideToGbk(std::wstring_view wide) {
    if (wide.empty()) {
        return text::Gbk();
    }
    if (wide.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::unexpected(text::ConversionError::InvalidInput);
    }
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int needed = WideCharToMultiByte(kCodePage936, 0, wide.data(), length, nullptr, 0,
                                           nullptr, &usedDefault);
    if (needed <= 0 || usedDefault) {
        return std::unexpected(text::ConversionError::NotRepresentable);
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(kCodePage936, 0, wide.data(), length, bytes.data(), needed, nullptr,
                        nullptr);
    return text::Gbk(std::move(bytes));
}

std::wstring gbkToWideLossy(std::string_view gbk) {
    if (auto strict = gbkToWide(gbk)) {
        return std::move(*strict);
    }
    const int length = static_cast<int>(std::min<std::size_t>(gbk.size(), INT_MAX));
    const int needed = MultiByteToWideChar(kCodePage936, 0, gbk.data(), length, nullptr, 0);
    if (needed <= 0) {
        return std::wstring();
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
        return text::Gbk();
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(kCodePage936, 0, wide.data(), length, bytes.data(), needed, "?", nullptr);
    return text::Gbk(std::move(bytes));
}

}  // namespace ardentis::platform
