#include <gtest/gtest.h>

#include <cstdio>

#include "platform/win32/win32_system_info.h"
#include "settings/system_helpers.h"
#include "tests/win32/raw_system.h"

namespace ardentis::settings {
namespace {

class FixedClock final : public platform::Clock {
  public:
    [[nodiscard]] platform::LocalTime now() const override { return {2024, 3, 5, 9, 7, 3, 42}; }
};

// This test executable carries no version resource.
TEST(RealSystem, ExecutableWithoutVersionResourceGivesZeros) {
    const platform::Win32SystemInfo system;
    EXPECT_EQ(GetFileVersionText(system), text::Gbk("0.0.0.0"));
}

TEST(RealSystem, UniqueIdCarriesTheSerialOfVolumeC) {
    const platform::Win32SystemInfo system;
    auto serial = system.volumeSerialNumber("c:\\");
    ASSERT_TRUE(serial.has_value()) << serial.error().describe();
    const text::Gbk id = MakeUniqueId(system, FixedClock());
    ASSERT_EQ(id.size(), 19U);
    char expected[8] = {};
    std::snprintf(expected, sizeof(expected), "%04X", static_cast<unsigned>(*serial >> 16U));
    EXPECT_EQ(id.view().substr(0, 4), expected);
    EXPECT_EQ(id.view().substr(4, 11), "05090703042");
    std::snprintf(expected, sizeof(expected), "%04X", static_cast<unsigned>(*serial & 0xFFFFU));
    EXPECT_EQ(id.view().substr(15), expected);
}

// Wine does not implement SPI_SETFASTTASKSWITCH, an obsolete parameter, and refuses it; only
// the screen-saver-running parameter can be seen to change here.
TEST(RealSystem, TaskKeysSwitchOffAndOnAgain) {
    platform::Win32SystemInfo system;
    (void)DisableTaskKeys(system);
    const bool whileDisabled = testing::rawScreenSaverRunning();
    (void)EnableTaskKeys(system);
    const bool afterEnabled = testing::rawScreenSaverRunning();
    EXPECT_TRUE(whileDisabled);
    EXPECT_FALSE(afterEnabled);
}

}  // namespace
}  // namespace ardentis::settings
