#include "settings/system_helpers.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/fake/fake_system_info.h"
#include "tests/support/doubles.h"

namespace ardentis::settings {
namespace {

using text::Gbk;

TEST(UniqueId, SerialHalvesInUpperCaseHexFrameTheDayAndTime) {
    struct Case {
        const char* root;
        std::uint32_t serial;
        platform::LocalTime time;
        const char* expected;
    };
    const Case cases[] = {
        {"c:\\", 0x1A2B3C4DU, {2024, 3, 5, 9, 7, 3, 42}, "1A2B050907030423C4D"},
        {"c:\\", 0x000A00B0U, {2024, 12, 31, 23, 59, 59, 999}, "000A3123595999900B0"},
        {"c:\\", 0xABCDEF12U, {2024, 12, 31, 23, 59, 59, 999}, "ABCD31235959999EF12"},
        {"d:\\", 0x12345678U, {2024, 1, 1, 0, 0, 0, 0}, "0000010000000000000"},  // unreadable
    };
    for (const Case& entry : cases) {
        platform::FakeSystemInfo system;
        system.setVolumeSerial(entry.root, entry.serial);
        EXPECT_EQ(MakeUniqueId(system, testing::FixedClock(entry.time)), Gbk(entry.expected));
    }
}

TEST(FileVersionText, FourPartsFromTheTwoHalvesOrZerosWithoutAVersionResource) {
    const std::pair<std::optional<platform::FileVersion>, const char*> cases[] = {
        {platform::FileVersion{0x00010002U, 0x00030004U}, "1.2.3.4"},
        {platform::FileVersion{0xFFFF0000U, 0x000A00C8U}, "65535.0.10.200"},
        {std::nullopt, "0.0.0.0"},
    };
    for (const auto& [version, expected] : cases) {
        platform::FakeSystemInfo system;
        system.setFileVersion(version);
        EXPECT_EQ(GetFileVersionText(system), Gbk(expected));
    }
}

TEST(TaskKeys, FastTaskSwitchThenScreenSaverRunningAreSetAndAFailureStopsNeither) {
    platform::FakeSystemInfo system;
    EXPECT_TRUE(DisableTaskKeys(system).has_value());
    system.failParameter(36);
    EXPECT_FALSE(EnableTaskKeys(system).has_value());
    EXPECT_EQ(system.parameterCalls(),
              (std::vector<platform::SystemParameterCall>{{36, 1}, {97, 1}, {36, 0}, {97, 0}}));
}

}  // namespace
}  // namespace ardentis::settings
