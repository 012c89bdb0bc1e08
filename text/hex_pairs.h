#pragma once

#include <span>
#include <string>

namespace ardentis::text {

// Bytes as upper-case hex pairs joined by colons ("AB:CD:..."): how certificate fingerprints
// are printed by the server, shown to players and kept by the client, so all must agree.
[[nodiscard]] inline std::string hexPairs(std::span<const unsigned char> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const unsigned char byte : bytes) {
        if (!text.empty()) {
            text += ':';
        }
        text += kDigits[byte >> 4U];
        text += kDigits[byte & 0xFU];
    }
    return text;
}

}  // namespace ardentis::text
