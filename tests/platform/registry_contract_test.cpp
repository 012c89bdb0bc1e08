#include "tests/platform/registry_contract.h"

#include "platform/fake/fake_registry.h"
#include "text/code_page.h"

namespace ardentis::testing {
namespace {

using platform::RegistryFault;
using platform::RegistryHive;

TEST_P(RegistryContract, CreatingAKeyCreatesItsParents) {
    ASSERT_TRUE(registry().createKey(RegistryHive::CurrentUser, path("a\\b\\c")).has_value());
    EXPECT_TRUE(registry().openKey(RegistryHive::CurrentUser, path("a")).has_value());
    EXPECT_TRUE(registry().openKey(RegistryHive::CurrentUser, path("a\\b")).has_value());
    EXPECT_TRUE(registry().openKey(RegistryHive::CurrentUser, path("a\\b\\c")).has_value());
}

TEST_P(RegistryContract, OpeningAMissingKeyReportsItAndCreatesNothing) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto key = registry().openKey(RegistryHive::CurrentUser, path("missing"));
        ASSERT_FALSE(key.has_value());
        EXPECT_EQ(key.error().fault, RegistryFault::Missing);
    }
}

TEST_P(RegistryContract, MissingValueIsReportedAsMissing) {
    auto key = registry().createKey(RegistryHive::CurrentUser, path("values"));
    ASSERT_TRUE(key.has_value());
    auto text = (*key)->readText("absent");
    ASSERT_FALSE(text.has_value());
    EXPECT_EQ(text.error().fault, RegistryFault::Missing);
    auto number = (*key)->readDword("absent");
    ASSERT_FALSE(number.has_value());
    EXPECT_EQ(number.error().fault, RegistryFault::Missing);
}

TEST_P(RegistryContract, TextKeepsItsGbkBytesAcrossKeys) {
    const text::Gbk directory = text::gbk("C:\\游戏\\全面歼灭\\");
    {
        auto key = registry().createKey(RegistryHive::CurrentUser, path("values"));
        ASSERT_TRUE(key.has_value());
        ASSERT_TRUE((*key)->writeText("TAdir", directory).has_value());
    }
    auto again = registry().openKey(RegistryHive::CurrentUser, path("values"));
    ASSERT_TRUE(again.has_value());
    auto read = (*again)->readText("TAdir");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->bytes(), directory.bytes());
}

TEST_P(RegistryContract, EmptyTextIsAValueNotAMissingOne) {
    auto key = registry().createKey(RegistryHive::CurrentUser, path("values"));
    ASSERT_TRUE(key.has_value());
    ASSERT_TRUE((*key)->writeText("pwd", text::Gbk()).has_value());
    auto read = (*key)->readText("pwd");
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->empty());
}

TEST_P(RegistryContract, NamesIgnoreTheCaseOfLatinLetters) {
    auto key = registry().createKey(RegistryHive::CurrentUser, path("Options"));
    ASSERT_TRUE(key.has_value());
    ASSERT_TRUE((*key)->writeText("TAdir", text::Gbk("x")).has_value());
    auto other = registry().openKey(RegistryHive::CurrentUser, path("OPTIONS"));
    ASSERT_TRUE(other.has_value());
    auto read = (*other)->readText("tadir");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, text::Gbk("x"));
}

TEST_P(RegistryContract, LaterWriteReplacesTheValue) {
    auto key = registry().createKey(RegistryHive::CurrentUser, path("values"));
    ASSERT_TRUE(key.has_value());
    ASSERT_TRUE((*key)->writeText("host", text::Gbk("first.example")).has_value());
    ASSERT_TRUE((*key)->writeText("host", text::Gbk("2")).has_value());
    EXPECT_EQ((*key)->readText("host").value_or(text::Gbk("?")), text::Gbk("2"));
}

TEST_P(RegistryContract, DwordAndTextAreDifferentKinds) {
    auto key = registry().createKey(RegistryHive::CurrentUser, path("values"));
    ASSERT_TRUE(key.has_value());
    ASSERT_TRUE((*key)->writeDword("gamma", 0xDEADBEEFU).has_value());
    ASSERT_TRUE((*key)->writeText("port", text::Gbk("8888")).has_value());
    EXPECT_EQ((*key)->readDword("gamma").value_or(0), 0xDEADBEEFU);
    auto gammaAsText = (*key)->readText("gamma");
    ASSERT_FALSE(gammaAsText.has_value());
    EXPECT_EQ(gammaAsText.error().fault, RegistryFault::WrongType);
    auto portAsNumber = (*key)->readDword("port");
    ASSERT_FALSE(portAsNumber.has_value());
    EXPECT_EQ(portAsNumber.error().fault, RegistryFault::WrongType);
}

TEST_P(RegistryContract, KeyOpenedForReadingRefusesWrites) {
    ASSERT_TRUE(registry().createKey(RegistryHive::CurrentUser, path("values")).has_value());
    auto key = registry().openKey(RegistryHive::CurrentUser, path("values"));
    ASSERT_TRUE(key.has_value());
    auto written = (*key)->writeText("usr", text::Gbk("someone"));
    ASSERT_FALSE(written.has_value());
    EXPECT_NE(written.error().fault, RegistryFault::Missing);
    EXPECT_FALSE((*key)->readText("usr").has_value());
}

RegistryUnderTest makeFake() {
    return {std::make_unique<platform::FakeRegistry>(), "Software\\Ardentis tests", {}};
}

INSTANTIATE_TEST_SUITE_P(Fake, RegistryContract, ::testing::Values(&makeFake));

}  // namespace
}  // namespace ardentis::testing
