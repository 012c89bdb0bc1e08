#include <gtest/gtest.h>

#include "text/code_page.h"
#include "text/shown.h"

namespace ardentis::text {
namespace {

struct ShownTest : ::testing::Test {
    void TearDown() override { setLanguage(Language::Chinese); }
};

TEST_F(ShownTest, EnglishLooksTheTextUpAndFallsBackToChineseChineseIsZh) {
    EXPECT_EQ(&shown<"确定">(), &zh<"确定">());  // the very same text
    EXPECT_EQ(shownText(gbk("取消")), gbk("取消"));
    setLanguage(Language::English);
    EXPECT_EQ(shown<"确定">(), Gbk("OK"));
    EXPECT_EQ(shownText(gbk("取消")), Gbk("Cancel"));
    EXPECT_EQ(shown<"不在目录里的文字">(), gbk("不在目录里的文字"));
    EXPECT_EQ(shownText(gbk("不在目录里的文字")), gbk("不在目录里的文字"));
}

TEST_F(ShownTest, OnlyEnIsEnglish) {
    EXPECT_EQ(languageNamed(Gbk("en")), Language::English);
    for (const char* stored : {"zh", "", "EN", "en "}) {
        EXPECT_EQ(languageNamed(Gbk(stored)), Language::Chinese) << stored;
    }
    EXPECT_EQ(languageName(Language::English), Gbk("en"));
    EXPECT_EQ(languageName(Language::Chinese), Gbk("zh"));
}

}  // namespace
}  // namespace ardentis::text
