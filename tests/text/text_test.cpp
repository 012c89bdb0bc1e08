#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "text/code_page.h"
#include "text/fixed_text.h"

namespace ardentis::text {
namespace {

TEST(CodePage, ConvertsToCodePage936AndBackKeepingEveryByte) {
    EXPECT_EQ(gbk("游戏大厅").bytes(), "\xD3\xCE\xCF\xB7\xB4\xF3\xCC\xFC");
    EXPECT_EQ(toUtf8(Gbk(std::string("\x80"))), "€");  // as on Windows
    for (const std::string utf8 : {"", "abc 123 >>", "作战指挥室>>开始进入战场", "€ and ～",
                                   "不能定位你的TA目录，请在选项中设置。"}) {
        const auto gbk = fromUtf8(utf8);
        ASSERT_TRUE(gbk) << utf8;
        EXPECT_EQ(toUtf8(*gbk), utf8);
    }
}

TEST(CodePage, InvalidOrUnrepresentableInputIsReportedNotMangled) {
    // A lone lead byte at the end or before a blank, and 0xFF, which code page 936 never uses.
    for (const std::string bytes : {"ab\xD3", "\xFF", "\xD3\x20"}) {
        EXPECT_EQ(toUtf8(Gbk(bytes)), std::unexpected(ConversionError::InvalidInput));
    }
    for (const std::string bytes : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "a\x80z"}) {
        EXPECT_EQ(fromUtf8(bytes), std::unexpected(ConversionError::InvalidInput));
    }
    EXPECT_EQ(fromUtf8("smile \xF0\x9F\x98\x80"),
              std::unexpected(ConversionError::NotRepresentable));
    EXPECT_THROW((void)gbk("\xC3"), std::invalid_argument);
}

TEST(FixedText, KeepsAtMostItsCapacityCuttingADoubleByteCharacterLikeTheWire) {
    for (const auto& [input, kept] : {std::pair<std::string, std::string>{"", ""},
                                      {"a", "a"},
                                      {"abc", "abc"},
                                      {"abcd", "abcd"},
                                      {"abcde", "abcd"},
                                      {"a\xD3\xCE\xCF\xB7", "a\xD3\xCE\xCF"}}) {
        EXPECT_EQ(FixedText<4>(Gbk(input)).view(), kept);
    }
    EXPECT_EQ(Gbk("ab") + Gbk(">>"), Gbk("ab>>"));
    EXPECT_TRUE(Gbk("ab>>x").startsWith(Gbk("ab>>")));
    EXPECT_FALSE(Gbk("a").startsWith(Gbk("ab")));
    EXPECT_EQ(Gbk("ab").left(10), Gbk("ab"));
}

}  // namespace
}  // namespace ardentis::text
