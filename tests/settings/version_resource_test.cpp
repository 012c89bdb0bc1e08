#include <gtest/gtest.h>

#include "platform/win32/win32_system_info.h"
#include "settings/system_helpers.h"

// version_resource_test.rc gives the settings tests on Windows their file version.
TEST(VersionResource, FileVersionOfTheOwnExecutableIsShown) {
    const ardentis::platform::Win32SystemInfo system;
    EXPECT_EQ(ardentis::settings::GetFileVersionText(system), ardentis::text::Gbk("7.31.2.1065"));
}
