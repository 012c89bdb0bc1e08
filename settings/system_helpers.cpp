#include "settings/system_helpers.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

namespace ardentis::settings {
namespace {

constexpr std::uint32_t kSetFastTaskSwitch = 36;      // SPI_SETFASTTASKSWITCH
constexpr std::uint32_t kSetScreenSaverRunning = 97;  // SPI_SETSCREENSAVERRUNNING

std::expected<void, platform::OsError> setTaskKeyParameters(platform::SystemInfo& system,
                                                            std::uint32_t value) {
    auto first = system.setSystemParameter(kSetFastTaskSwitch, value);
    auto second = system.setSystemParameter(kSetScreenSaverRunning, value);
    return first ? second : first;
}

}  // namespace

text::Gbk MakeUniqueId(const platform::SystemInfo& system, const platform::Clock& clock) {
    const std::uint32_t serial = system.volumeSerialNumber("c:\\").value_or(0);
    const platform::LocalTime now = clock.now();
    char id[64] = {};
    std::snprintf(id, sizeof(id), "%04X%02d%02d%02d%02d%03d%04X",
                  static_cast<unsigned>(serial >> 16U), now.day, now.hour, now.minute, now.second,
                  now.millisecond, static_cast<unsigned>(serial & 0xFFFFU));
    return text::Gbk(std::string(id));
}

text::Gbk GetFileVersionText(const platform::SystemInfo& system) {
    const auto version = system.ownFileVersion();
    if (!version) {
        return text::Gbk("0.0.0.0");
    }
    const std::uint32_t parts[] = {
        version->mostSignificant >> 16U, version->mostSignificant & 0xFFFFU,
        version->leastSignificant >> 16U, version->leastSignificant & 0xFFFFU};
    std::string dotted;
    for (const std::uint32_t part : parts) {
        if (!dotted.empty()) {
            dotted += '.';
        }
        dotted += std::to_string(part);
    }
    return text::Gbk(std::move(dotted));
}

std::expected<void, platform::OsError> DisableTaskKeys(platform::SystemInfo& system) {
    return setTaskKeyParameters(system, 1);
}

std::expected<void, platform::OsError> EnableTaskKeys(platform::SystemInfo& system) {
    return setTaskKeyParameters(system, 0);
}

}  // namespace ardentis::settings
