#pragma once

#include <cstdint>
#include <expected>
#include <string_view>

#include "platform/os_error.h"

namespace ardentis::platform {

// The file version of a version resource's root block: two 32-bit halves, most
// significant first, as the resource stores them.
struct FileVersion {
    std::uint32_t mostSignificant = 0;
    std::uint32_t leastSignificant = 0;
};

// Facts about the machine and the few system-wide settings the client switches.
class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    // The serial number of the volume whose root is given, e.g. "c:\".
    [[nodiscard]] virtual std::expected<std::uint32_t, OsError> volumeSerialNumber(
        std::string_view rootPath) const = 0;
    // The file version of the running executable; an error when it has no version resource.
    [[nodiscard]] virtual std::expected<FileVersion, OsError> ownFileVersion() const = 0;
    // Sets a system parameter that takes its value in the call itself, with no further
    // data and without broadcasting the change.
    [[nodiscard]] virtual std::expected<void, OsError> setSystemParameter(std::uint32_t action,
                                                                          std::uint32_t value) = 0;
};

}  // namespace ardentis::platform
