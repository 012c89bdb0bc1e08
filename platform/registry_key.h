#pragma once

#include <cstdint>
#include <expected>
#include <string_view>

#include "platform/os_error.h"
#include "text/gbk.h"

namespace ardentis::platform {

enum class RegistryFault : std::uint8_t {
    Missing,        // no such key or value
    WrongType,      // the value exists but is not of the kind asked for
    Unconvertible,  // the text has no form in code page 936, or the bytes are not valid in it
    System,         // the system refused; see the OsError
};

struct RegistryError {
    RegistryFault fault = RegistryFault::System;
    OsError os{};
};

// One open key; closed when the object goes. Value names are code page 936 bytes.
class RegistryKey {
  public:
    virtual ~RegistryKey() = default;
    // A string value (REG_SZ, or REG_EXPAND_SZ left unexpanded) as code page 936 bytes.
    [[nodiscard]] virtual std::expected<text::Gbk, RegistryError> readText(
        std::string_view name) const = 0;
    // Stores the bytes as a REG_SZ value.
    [[nodiscard]] virtual std::expected<void, RegistryError> writeText(std::string_view name,
                                                                       const text::Gbk& value) = 0;
    [[nodiscard]] virtual std::expected<std::uint32_t, RegistryError> readDword(
        std::string_view name) const = 0;
    [[nodiscard]] virtual std::expected<void, RegistryError> writeDword(std::string_view name,
                                                                        std::uint32_t value) = 0;
};

}  // namespace ardentis::platform
