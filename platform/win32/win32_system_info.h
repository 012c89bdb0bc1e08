#pragma once

#include "platform/system_info.h"

namespace ardentis::platform {

// Volume information, the executable's version resource and SystemParametersInfo.
class Win32SystemInfo final : public SystemInfo {
  public:
    [[nodiscard]] std::expected<std::uint32_t, OsError> volumeSerialNumber(
        std::string_view rootPath) const override;
    [[nodiscard]] std::expected<FileVersion, OsError> ownFileVersion() const override;
    [[nodiscard]] std::expected<void, OsError> setSystemParameter(std::uint32_t action,
                                                                  std::uint32_t value) override;
};

}  // namespace ardentis::platform
