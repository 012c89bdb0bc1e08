#include "settings/system_helpers.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/fake_system_info.h"

namespace ardentis::settings {
namespace {

using platform::FileVersion;
using platform::SystemParameterCall;
using text::Gbk;

class FixedClock final : public platform::Clock {
  public:
    explicit FixedClock(platform::LocalTime time) : time_(time) {}
    [[nodiscard]] platform::LocalTime now() const override { return time_; }

  private:
    platform::LocalTime time_;
};

TEST(UniqueId, SerialHalvesFrameTheDayAndTime) {
    platform::FakeSystemInfo system;
    system.setVolumeSerial("c:\\", 0x1A2B3C4DU);
    const FixedClock clock({2024, 3, 5, 9, 7, 3, 42});
    EXPECT_EQ(MakeUniqueId(system, clock), Gbk("1A2B050907030423C4D"));
}

TEST(UniqueId, HexIsUpperCaseAndPaddedToFourDigits) {
    platform::FakeSystemInfo system;
    system.setVolumeSerial("c:\\", 0x000A00B0U);
    const FixedClock clock({2024, 12, 31, 23, 59, 59, 999});
    EXPECT_EQ(MakeUniqueId(system, clock), Gbk("000A3123595999900B0"));
    system.setVolumeSerial("c:\\", 0xABCDEF12U);
    EXPECT_EQ(MakeUniqueId(system, clock), Gbk("ABCD31235959999EF12"));
}

TEST(UniqueId, UnreadableSerialCountsAsZero) {
    platform::FakeSystemInfo system;
    system.setVolumeSerial("d:\\", 0x12345678U);
    const FixedClock clock({2024, 1, 1, 0, 0, 0, 0});
    EXPECT_EQ(MakeUniqueId(system, clock), Gbk("0000010000000000000"));
}

TEST(FileVersionText, FourPartsFromTheTwoHalves) {
    platform::FakeSystemInfo system;
    system.setFileVersion(FileVersion{0x00010002U, 0x00030004U});
    EXPECT_EQ(GetFileVersionText(system), Gbk("1.2.3.4"));
    system.setFileVersion(FileVersion{0xFFFF0000U, 0x000A00C8U});
    EXPECT_EQ(GetFileVersionText(system), Gbk("65535.0.10.200"));
}

TEST(FileVersionText, NoVersionResourceGivesZeros) {
    platform::FakeSystemInfo system;
    EXPECT_EQ(GetFileVersionText(system), Gbk("0.0.0.0"));
}

TEST(TaskKeys, DisablingSetsFastTaskSwitchThenScreenSaverRunningToOne) {
    platform::FakeSystemInfo system;
    EXPECT_TRUE(DisableTaskKeys(system).has_value());
    EXPECT_EQ(system.parameterCalls(), (std::vector<SystemParameterCall>{{36, 1}, {97, 1}}));
}

TEST(TaskKeys, EnablingSetsTheSameTwoToZeroInTheSameOrder) {
    platform::FakeSystemInfo system;
    EXPECT_TRUE(EnableTaskKeys(system).has_value());
    EXPECT_EQ(system.parameterCalls(), (std::vector<SystemParameterCall>{{36, 0}, {97, 0}}));
}

TEST(TaskKeys, FailureOfTheFirstStillSetsTheSecondAndIsReported) {
    platform::FakeSystemInfo system;
    system.failParameter(36);
    auto result = EnableTaskKeys(system);
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(system.parameterCalls(), (std::vector<SystemParameterCall>{{36, 0}, {97, 0}}));
}

}  // namespace
}  // namespace ardentis::settings
