#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "game/mod_table.h"
#include "platform/file_system.h"
#include "tests/support/scratch_directory.h"

namespace ardentis::game {
namespace {

using text::Gbk;

// The real files of this machine, as a user's installation is found.
class InstalledOnDisk : public ::testing::Test {
  protected:
    settings::Toptions options_;
    platform::SystemFileSystem files_;
    testing::ScratchDirectory scratch_;
};

TEST_F(InstalledOnDisk, BareNamesAreLookedUpInTheCurrentDirectory) {
    scratch_.addFile("talon.exe");
    options_.SPCdir = scratch_.gbk();
    const TModList mods(options_, files_);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(scratch_.path());
    const Gbk path = mods.GetModExePath(Gbk("12"));
    std::filesystem::current_path(previous);
    EXPECT_EQ(path, Gbk("talon.exe"));
}

TEST_F(InstalledOnDisk, ModsFileBesideTheExecutableIsRead) {
    auto directory = files_.executableDirectory();
    ASSERT_TRUE(directory.has_value());
    const auto modsFile = testing::pathOf(*directory + Gbk("mods.txt"));
    scratch_.addFile(modsFile, "# added by a test\r\n60:Disk Mod;diskmod.exe\r\n");
    const TModList mods(options_, files_);
    std::filesystem::remove(modsFile);
    EXPECT_EQ(mods.GetNameByCode(Gbk("60")), Gbk("Disk Mod"));
}

}  // namespace
}  // namespace ardentis::game
