#pragma once

#include <expected>

#include "platform/clock.h"
#include "platform/os_error.h"
#include "platform/system_info.h"
#include "text/gbk.h"

namespace ardentis::settings {

// A room number of 19 characters: the upper half of the serial number of volume "c:\"
// (0 when unreadable) as 4 upper-case hex digits, then the local day, hour, minute,
// second (2 digits each) and millisecond (3 digits), then the lower half as 4 hex digits.
[[nodiscard]] text::Gbk MakeUniqueId(const platform::SystemInfo& system,
                                     const platform::Clock& clock);

// The executable's file version as major.minor.release.build; "0.0.0.0" without one.
[[nodiscard]] text::Gbk GetFileVersionText(const platform::SystemInfo& system);

// Switch the task-switching keys off before a game and on again after it: the system
// parameters SPI_SETFASTTASKSWITCH, then SPI_SETSCREENSAVERRUNNING, both to 1 or both to 0.
// Both are always set; the first failure is reported.
[[nodiscard]] std::expected<void, platform::OsError> DisableTaskKeys(platform::SystemInfo& system);
[[nodiscard]] std::expected<void, platform::OsError> EnableTaskKeys(platform::SystemInfo& system);

}  // namespace ardentis::settings
