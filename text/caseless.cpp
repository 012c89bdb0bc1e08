#include "text/caseless.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ardentis::text {
namespace {

// The text's characters, ASCII letters folded to lower case; a double-byte one is one unit.
std::vector<std::uint16_t> folded(std::string_view bytes) {
    std::vector<std::uint16_t> units;
    units.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x81 && byte <= 0xFE && i + 1 < bytes.size()) {
            units.push_back(
                static_cast<std::uint16_t>(byte << 8 | static_cast<unsigned char>(bytes[++i])));
        } else {
            units.push_back(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
        }
    }
    return units;
}

}  // namespace

bool containsIgnoringAsciiCase(const Gbk& text, const Gbk& part) {
    const std::vector<std::uint16_t> haystack = folded(text.view());
    return !std::ranges::search(haystack, folded(part.view())).empty();
}

}  // namespace ardentis::text
