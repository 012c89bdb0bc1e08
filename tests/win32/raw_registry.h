#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace ardentis::testing {

// The registry reached straight through the wide API, to prepare other programs' entries
// and to check what our layer stored without going through it. Keys of the local machine
// are taken in the 32-bit view, where the games' 32-bit installers write.
using RawHive = platform::RegistryHive;

inline constexpr std::uint32_t kRawRegSz = 1;     // REG_SZ
inline constexpr std::uint32_t kRawRegDword = 4;  // REG_DWORD

struct RawValue {
    std::uint32_t type = 0;
    std::wstring text;  // REG_SZ data without its terminator
};

[[nodiscard]] std::optional<RawValue> readRawValue(RawHive hive, const std::wstring& path,
                                                   const std::wstring& name);
void writeRawText(RawHive hive, const std::wstring& path, const std::wstring& name,
                  const std::wstring& value);
// Removes the key with everything below it; nothing happens when it is missing.
void deleteRawTree(RawHive hive, const std::wstring& path);

}  // namespace ardentis::testing
