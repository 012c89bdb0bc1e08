#pragma once

#include <charconv>
#include <cstdint>
#include <optional>

#include "text/gbk.h"

namespace ardentis::settings {

// What the client remembers between runs, plus the two addresses worked out while it runs.
// A default-made record is the zero-filled one of start-up: texts empty, vnntype 0.
struct Toptions {
    text::Gbk usr;
    text::Gbk pwd;        // plain; stored enciphered
    text::Gbk TAdir;      // with its trailing backslash
    text::Gbk SPCdir;     // with its trailing backslash
    text::Gbk autologin;  // "0" = log in at start-up, "1" = do not
    text::Gbk host;
    text::Gbk port;
    text::Gbk vnnip;           // not stored
    text::Gbk hostip;          // not stored
    text::Gbk checkfile;       // "1" = do not warn about unlocated game directories
    std::int32_t vnntype = 0;  // the virtual-LAN program, settings/virtual_lan.h
    text::Gbk tls;             // "1" = connect to tlsport over TLS
    text::Gbk tlsport;
    text::Gbk vnnaddr;   // the address picked when vnntype is "other"
    text::Gbk language;  // "zh" or "en": what the user reads, from the next start
};

// The two yes/no settings have opposite polarities, and stored registries depend on them.
[[nodiscard]] inline bool autoLoginOn(const Toptions& options) {
    return options.autologin == text::Gbk("0");
}
[[nodiscard]] inline bool warnsOfUnlocatedDirectories(const Toptions& options) {
    return options.checkfile == text::Gbk("0");
}
[[nodiscard]] inline bool tlsOn(const Toptions& options) {
    return options.tls == text::Gbk("1");
}

// A port text as a number: decimal digits only, 1 to 65535; nothing for any other text.
[[nodiscard]] inline std::optional<std::uint16_t> portNumber(const text::Gbk& text) {
    unsigned value = 0;
    const char* first = text.view().data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (text.empty() || error != std::errc() || end != last || value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace ardentis::settings
