#include "platform/fake/fake_system_info.h"

#include <utility>

namespace ardentis::platform {
namespace {

constexpr int kPathNotFound = 3;
constexpr int kResourceTypeNotFound = 1813;
constexpr int kInvalidParameter = 87;

}  // namespace

std::expected<std::uint32_t, OsError> FakeSystemInfo::volumeSerialNumber(
    std::string_view rootPath) const {
    const auto serial = serials_.find(rootPath);
    if (serial == serials_.end()) {
        return std::unexpected(OsError{"GetVolumeInformationW", kPathNotFound});
    }
    return serial->second;
}

std::expected<FileVersion, OsError> FakeSystemInfo::ownFileVersion() const {
    if (!version_) {
        return std::unexpected(OsError{"GetFileVersionInfoSizeW", kResourceTypeNotFound});
    }
    return *version_;
}

std::expected<void, OsError> FakeSystemInfo::setSystemParameter(std::uint32_t action,
                                                                std::uint32_t value) {
    calls_.push_back({action, value});
    if (failingActions_.contains(action)) {
        return std::unexpected(OsError{"SystemParametersInfoW", kInvalidParameter});
    }
    return {};
}

void FakeSystemInfo::setVolumeSerial(std::string rootPath, std::uint32_t serial) {
    serials_[std::move(rootPath)] = serial;
}

}  // namespace ardentis::platform
