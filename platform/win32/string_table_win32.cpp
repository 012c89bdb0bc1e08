// The English texts from the string table in the program's resources.
#include <windows.h>

#include <cstdint>

#include "platform/win32/wide_text.h"
#include "text/catalogue_table.h"
#include "text/shown.h"

namespace ardentis::text {
namespace {

// A string table block holds 16 texts, each a length and that many UTF-16 units.
constexpr int kTextsPerBlock = 16;

std::optional<std::wstring> englishResource(int id) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const WORD language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    HRSRC found =
        FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / kTextsPerBlock + 1), language);
    if (found == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const auto* unit =
        static_cast<const WCHAR*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (unit == nullptr) {
        return std::nullopt;
    }
    const WCHAR* end = unit + SizeofResource(module, found) / sizeof(WCHAR);
    for (int skip = id % kTextsPerBlock; skip > 0 && unit < end; --skip) {
        unit += 1 + *unit;
    }
    if (unit >= end || *unit == 0 || unit + 1 + *unit > end) {
        return std::nullopt;
    }
    return std::wstring(unit + 1, *unit);
}

}  // namespace

std::optional<Gbk> englishText(std::string_view chineseUtf8) {
    const auto at = catalogueIndex(chineseUtf8);
    if (!at) {
        return std::nullopt;
    }
    const auto wide = englishResource(kFirstShownTextId + static_cast<int>(*at));
    if (!wide) {
        return std::nullopt;
    }
    auto converted = platform::wideToGbk(*wide);
    if (!converted) {
        return std::nullopt;
    }
    return *std::move(converted);
}

}  // namespace ardentis::text
