#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "text/code_page.h"
#include "text/gbk.h"

namespace ardentis::platform {

// Code page 936 <-> UTF-16 for the wide API, with code page 936 named explicitly (never
// the ANSI page, which is not 936 under Wine or on a non-Chinese Windows). Bytes that are
// not valid GBK, and characters GBK cannot hold, are reported rather than replaced.
[[nodiscard]] std::expected<std::wstring, text::ConversionError> gbkToWide(std::string_view gbk);
[[nodiscard]] std::expected<text::Gbk, text::ConversionError> wideToGbk(std::wstring_view wide);

// For window texts, where a failure has nowhere to go: what a control shows and what the
// user typed. Bytes that are not valid GBK show as the system's replacement character, and
// characters GBK cannot hold read back as '?'.
[[nodiscard]] std::wstring gbkToWideLossy(std::string_view gbk);
[[nodiscard]] text::Gbk wideToGbkLossy(std::wstring_view wide);

}  // namespace ardentis::platform
