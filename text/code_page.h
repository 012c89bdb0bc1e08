#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "text/gbk.h"

namespace ardentis::text {

enum class ConversionError : std::uint8_t {
    InvalidInput,      // the bytes are not valid in the source encoding
    NotRepresentable,  // a character has no code in the target encoding
    Unavailable,       // the system offers no converter for code page 936
};

[[nodiscard]] const char* describe(ConversionError error) noexcept;

// Code page 936 <-> UTF-8. Invalid input is reported, never replaced or dropped.
[[nodiscard]] std::expected<Gbk, ConversionError> fromUtf8(std::string_view utf8);
[[nodiscard]] std::expected<std::string, ConversionError> toUtf8(const Gbk& text);

// A literal written in UTF-8 source, converted once where it is defined. A literal that
// cannot be converted is a bug in the program, so it throws std::invalid_argument.
[[nodiscard]] Gbk gbk(std::string_view utf8Literal);

// True when every byte sequence of the text is a complete UTF-8 character.
[[nodiscard]] bool isValidUtf8(std::string_view bytes) noexcept;

}  // namespace ardentis::text
