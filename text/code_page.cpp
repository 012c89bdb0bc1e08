#include "text/code_page.h"

#include <cstdint>
#include <stdexcept>

namespace ardentis::text {

const char* describe(ConversionError error) noexcept {
    switch (error) {
        case ConversionError::InvalidInput:
            return "invalid input";
        case ConversionError::NotRepresentable:
            return "character not representable";
        case ConversionError::Unavailable:
            return "code page 936 converter unavailable";
    }
    return "unknown conversion error";
}

Gbk gbk(std::string_view utf8Literal) {
    auto converted = fromUtf8(utf8Literal);
    if (!converted) {
        throw std::invalid_argument(std::string("text literal cannot be converted to GBK: ") +
                                    describe(converted.error()));
    }
    return *std::move(converted);
}

bool isValidUtf8(std::string_view bytes) noexcept {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if ((lead & 0xE0U) == 0xC0U) {
            length = 2;
            code = lead & 0x1FU;
        } else if ((lead & 0xF0U) == 0xE0U) {
            length = 3;
            code = lead & 0x0FU;
        } else if ((lead & 0xF8U) == 0xF0U) {
            length = 4;
            code = lead & 0x07U;
        } else {
            return false;
        }
        if (i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i + k]);
            if ((next & 0xC0U) != 0x80U) {
                return false;
            }
            code = (code << 6U) | (next & 0x3FU);
        }
        const bool overlong = (length == 2 && code < 0x80) || (length == 3 && code < 0x800) ||
                              (length == 4 && code < 0x10000);
        if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace ardentis::text
