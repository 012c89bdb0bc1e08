#include <gtest/gtest.h>

#include "platform/win32/win32_system_info.h"
#include "settings/system_helpers.h"

namespace ardentis::settings {
namespace {

// version_resource_test.rc gives this executable file version 7.31.2.1065 and a different
// product version, which must not be the one shown.
TEST(VersionResource, FileVersionOfTheOwnExecutableIsShown) {
    const platform::Win32SystemInfo system;
    EXPECT_EQ(GetFileVersionText(system), text::Gbk("7.31.2.1065"));
}

}  // namespace
}  // namespace ardentis::settings
