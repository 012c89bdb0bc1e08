#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "text/code_page.h"

namespace ardentis::text {
namespace {

// "游戏大厅" in code page 936.
const std::string kLobbyGbk = "\xD3\xCE\xCF\xB7\xB4\xF3\xCC\xFC";

TEST(CodePage, ChineseConvertsToTheCodePage936Bytes) {
    auto converted = fromUtf8("游戏大厅");
    ASSERT_TRUE(converted.has_value());
    EXPECT_EQ(converted->bytes(), kLobbyGbk);
}

TEST(CodePage, RoundTripKeepsEveryByte) {
    const std::string samples[] = {"",
                                   "abc 123 >>",
                                   "作战指挥室>>开始进入战场",
                                   "不能定位你的TA目录，请在选项中设置。",
                                   "帐号密码不对，登录失败!",
                                   "€ and ～"};
    for (const std::string& utf8 : samples) {
        auto gbk = fromUtf8(utf8);
        ASSERT_TRUE(gbk.has_value()) << utf8;
        auto back = toUtf8(*gbk);
        ASSERT_TRUE(back.has_value()) << utf8;
        EXPECT_EQ(*back, utf8);
    }
}

TEST(CodePage, Byte80IsTheEuroSignAsOnWindows) {
    auto utf8 = toUtf8(Gbk(std::string("\x80")));
    ASSERT_TRUE(utf8.has_value());
    EXPECT_EQ(*utf8, "€");
}

TEST(CodePage, InvalidGbkIsReportedNotMangled) {
    // A lone lead byte at the end, and 0xFF, which code page 936 never uses.
    for (const std::string& bytes :
         {std::string("ab\xD3"), std::string("\xFF"), std::string("\xD3\x20")}) {
        auto utf8 = toUtf8(Gbk(bytes));
        ASSERT_FALSE(utf8.has_value()) << "accepted bytes of size " << bytes.size();
        EXPECT_EQ(utf8.error(), ConversionError::InvalidInput);
    }
}

TEST(CodePage, InvalidUtf8IsReported) {
    for (const std::string& bytes : {std::string("\xC3"), std::string("\xC0\xAF"),
                                     std::string("\xED\xA0\x80"), std::string("a\x80z")}) {
        auto gbk = fromUtf8(bytes);
        ASSERT_FALSE(gbk.has_value());
        EXPECT_EQ(gbk.error(), ConversionError::InvalidInput);
    }
}

TEST(CodePage, CharactersOutsideTheCodePageAreReported) {
    auto gbk = fromUtf8("smile \xF0\x9F\x98\x80");  // U+1F600 has no code in 936
    ASSERT_FALSE(gbk.has_value());
    EXPECT_EQ(gbk.error(), ConversionError::NotRepresentable);
}

TEST(CodePage, LiteralHelperThrowsOnABrokenLiteral) {
    EXPECT_EQ(gbk("游戏大厅").bytes(), kLobbyGbk);
    EXPECT_THROW((void)gbk("\xC3"), std::invalid_argument);
}

}  // namespace
}  // namespace ardentis::text
