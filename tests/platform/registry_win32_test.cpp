#include <memory>

#include "platform/win32/win32_registry.h"
#include "tests/platform/registry_contract.h"
#include "tests/win32/raw_registry.h"
#include "text/code_page.h"

namespace ardentis::testing {
namespace {

using platform::RegistryFault;
using platform::RegistryHive;

// A key of our own under the current user of this build tree's Wine prefix.
constexpr const wchar_t* kScratch = L"Software\\Ardentis tests";
constexpr const char* kScratchGbk = "Software\\Ardentis tests";

RegistryUnderTest makeWin32() {
    return {std::make_unique<platform::Win32Registry>(), kScratchGbk,
            [] { deleteRawTree(RawHive::CurrentUser, kScratch); }};
}

INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract, ::testing::Values(&makeWin32));

class Win32RegistryStorage : public ::testing::Test {
  protected:
    void SetUp() override { cleanUp(); }
    void TearDown() override { cleanUp(); }
    static void cleanUp() {
        deleteRawTree(RawHive::CurrentUser, kScratch);
        deleteRawTree(RawHive::LocalMachine, kScratch);
    }
    platform::Win32Registry registry_;
};

TEST_F(Win32RegistryStorage, TextIsStoredAsRegSzInUnicode) {
    auto key = registry_.createKey(RegistryHive::CurrentUser, kScratchGbk);
    ASSERT_TRUE(key.has_value());
    ASSERT_TRUE((*key)->writeText("TAdir", text::gbk("C:\\游戏\\TA\\")).has_value());
    const auto raw = readRawValue(RawHive::CurrentUser, kScratch, L"TAdir");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->type, kRawRegSz);
    EXPECT_EQ(raw->text, L"C:\\\u6e38\u620f\\TA\\");
}

TEST_F(Win32RegistryStorage, TextWrittenByAnotherProgramReadsAsGbk) {
    writeRawText(RawHive::CurrentUser, kScratch, L"name", L"\u6e38\u620f\u5927\u5385");
    auto key = registry_.openKey(RegistryHive::CurrentUser, kScratchGbk);
    ASSERT_TRUE(key.has_value());
    auto read = (*key)->readText("name");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->bytes(), "\xD3\xCE\xCF\xB7\xB4\xF3\xCC\xFC");
}

TEST_F(Win32RegistryStorage, DwordIsStoredAsRegDword) {
    auto key = registry_.createKey(RegistryHive::CurrentUser, kScratchGbk);
    ASSERT_TRUE(key.has_value());
    ASSERT_TRUE((*key)->writeDword("gamma", 7).has_value());
    const auto raw = readRawValue(RawHive::CurrentUser, kScratch, L"gamma");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->type, kRawRegDword);
}

TEST_F(Win32RegistryStorage, BytesThatAreNotGbkAreRefusedNotMangled) {
    auto key = registry_.createKey(RegistryHive::CurrentUser, kScratchGbk);
    ASSERT_TRUE(key.has_value());
    auto written = (*key)->writeText("TAdir", text::Gbk(std::string("C:\\\xFF\\")));
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().fault, RegistryFault::Unconvertible);
    EXPECT_FALSE(readRawValue(RawHive::CurrentUser, kScratch, L"TAdir").has_value());
}

TEST_F(Win32RegistryStorage, LocalMachineIsSeenAsThe32BitInstallersWroteIt) {
    writeRawText(RawHive::LocalMachine, kScratch, L"InstallLocation", L"C:\\Games\\SC");
    auto key = registry_.openKey(RegistryHive::LocalMachine, kScratchGbk);
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ((*key)->readText("InstallLocation").value_or(text::Gbk()),
              text::Gbk("C:\\Games\\SC"));
}

}  // namespace
}  // namespace ardentis::testing
