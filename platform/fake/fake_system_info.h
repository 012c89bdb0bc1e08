#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/system_info.h"

namespace ardentis::platform {

struct SystemParameterCall {
    std::uint32_t action = 0;
    std::uint32_t value = 0;
    friend bool operator==(const SystemParameterCall&, const SystemParameterCall&) = default;
};

// A machine whose volumes, version resource and system parameters the test decides.
// Every parameter call is recorded, failed ones included.
class FakeSystemInfo final : public SystemInfo {
  public:
    [[nodiscard]] std::expected<std::uint32_t, OsError> volumeSerialNumber(
        std::string_view rootPath) const override;
    [[nodiscard]] std::expected<FileVersion, OsError> ownFileVersion() const override;
    [[nodiscard]] std::expected<void, OsError> setSystemParameter(std::uint32_t action,
                                                                  std::uint32_t value) override;

    // Root paths are matched exactly, as given ("c:\" is not "C:\").
    void setVolumeSerial(std::string rootPath, std::uint32_t serial);
    void setFileVersion(std::optional<FileVersion> version) { version_ = version; }
    void failParameter(std::uint32_t action) { failingActions_.insert(action); }
    [[nodiscard]] const std::vector<SystemParameterCall>& parameterCalls() const { return calls_; }

  private:
    std::map<std::string, std::uint32_t, std::less<>> serials_;
    std::optional<FileVersion> version_;
    std::set<std::uint32_t> failingActions_;
    std::vector<SystemParameterCall> calls_;
};

}  // namespace ardentis::platform
