#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/file_system.h"
#include "tests/platform/scratch_directory.h"
#include "text/code_page.h"

namespace ardentis::testing {
namespace {

// The machine's own files, as the settings and the mod table meet them.
class SystemFiles : public ::testing::Test {
  protected:
    platform::SystemFileSystem files_;
    ScratchDirectory scratch_;
};

TEST_F(SystemFiles, FileIsFoundByDirectoryPlusName) {
    scratch_.addFile("totala.exe");
    EXPECT_TRUE(files_.fileExists(scratch_.gbk() + text::Gbk("totala.exe")));
    EXPECT_FALSE(files_.fileExists(scratch_.gbk() + text::Gbk("taense.exe")));
}

TEST_F(SystemFiles, DirectoryIsNotAFile) {
    std::filesystem::create_directory(scratch_.path() / "bin");
    EXPECT_FALSE(files_.fileExists(scratch_.gbk() + text::Gbk("bin")));
    EXPECT_FALSE(files_.fileExists(scratch_.gbk()));
}

TEST_F(SystemFiles, EmptyPathIsNoFile) {
    EXPECT_FALSE(files_.fileExists(text::Gbk()));
}

TEST_F(SystemFiles, ChineseDirectoryNameIsFound) {
    const text::Gbk directory = scratch_.gbk() + text::gbk("最高指挥官");
    std::error_code error;
    std::filesystem::create_directory(pathOf(directory), error);
    if (error) {
        // Under Wine a Chinese file name needs a UTF-8 locale that the C library has.
        GTEST_SKIP() << "this file system cannot hold a Chinese name: " << error.message();
    }
    scratch_.addFile(pathOf(directory) / "supremecommander.exe");
    EXPECT_TRUE(files_.fileExists(
        directory + text::Gbk(std::string(1, std::filesystem::path::preferred_separator)) +
        text::Gbk("supremecommander.exe")));
}

TEST_F(SystemFiles, RelativePathIsTakenFromTheCurrentDirectory) {
    scratch_.addFile("tll.exe");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(scratch_.path());
    const bool found = files_.fileExists(text::Gbk("tll.exe"));
    const bool foundMissing = files_.fileExists(text::Gbk("talon.exe"));
    std::filesystem::current_path(previous);
    EXPECT_TRUE(found);
    EXPECT_FALSE(foundMissing);
}

TEST_F(SystemFiles, ReadGivesEveryByte) {
    const std::string content("00:a;b\r\n#\x80\xD3\xCE\n\0end", 18);
    scratch_.addFile("mods.txt", content);
    auto read = files_.readFile(scratch_.gbk() + text::Gbk("mods.txt"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, content);
}

TEST_F(SystemFiles, WriteReplacesAWholeLongerFileByteForByte) {
    scratch_.addFile("tmphost.ini", std::string(5000, 'x'));
    const std::string content("[totala]\r\nplayer=\xCD\xE6\xBC\xD2\r\n\0end", 27);
    const text::Gbk path = scratch_.gbk() + text::Gbk("tmphost.ini");
    ASSERT_TRUE(files_.writeFile(path, content).has_value());
    EXPECT_EQ(files_.readFile(path).value_or("<unreadable>"), content);
}

TEST_F(SystemFiles, WritingIntoAMissingDirectoryFails) {
    EXPECT_FALSE(
        files_.writeFile(scratch_.gbk() + text::Gbk("no-such-dir/tmphost.ini"), "x").has_value());
}

TEST_F(SystemFiles, ReadingAMissingFileFails) {
    EXPECT_FALSE(files_.readFile(scratch_.gbk() + text::Gbk("mods.txt")).has_value());
}

TEST_F(SystemFiles, ExecutableDirectoryHoldsThisTest) {
    auto directory = files_.executableDirectory();
    ASSERT_TRUE(directory.has_value());
    ASSERT_FALSE(directory->empty());
    EXPECT_EQ(directory->view().back(), std::filesystem::path::preferred_separator);
    EXPECT_TRUE(files_.fileExists(*directory + text::Gbk(ARDENTIS_TEST_EXECUTABLE)));
}

}  // namespace
}  // namespace ardentis::testing
