#include <gtest/gtest.h>

#include <string>

#include "text/fixed_text.h"
#include "text/gbk.h"

namespace ardentis::text {
namespace {

TEST(FixedText, KeepsAtMostItsCapacity) {
    FixedText<4> field;
    for (const auto& [input, expected] : {std::pair<std::string, std::string>{"", ""},
                                          {"abc", "abc"},
                                          {"abcd", "abcd"},
                                          {"abcde", "abcd"}}) {
        field = Gbk(input);
        EXPECT_EQ(field.view(), expected);
    }
}

TEST(FixedText, CutsADoubleByteCharacterInHalfLikeTheWire) {
    FixedText<3> field(Gbk(std::string("\xD3\xCE\xCF\xB7")));
    EXPECT_EQ(field.view(), std::string("\xD3\xCE\xCF"));
}

TEST(Gbk, ComparesBytesAndConcatenates) {
    const Gbk a("ab");
    EXPECT_EQ(a + Gbk(">>") + Gbk("c"), Gbk("ab>>c"));
    EXPECT_NE(Gbk("ab"), Gbk("AB"));
    EXPECT_TRUE(Gbk("ab>>x").startsWith(Gbk("ab>>")));
    EXPECT_FALSE(Gbk("a").startsWith(Gbk("ab")));
    EXPECT_EQ(Gbk("abcdef").left(3), Gbk("abc"));
    EXPECT_EQ(Gbk("ab").left(10), Gbk("ab"));
}

}  // namespace
}  // namespace ardentis::text
