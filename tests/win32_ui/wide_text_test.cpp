#include <gtest/gtest.h>

#include "platform/win32/wide_text.h"
#include "tests/win32_ui/ui_test_support.h"

namespace ardentis::testing {
namespace {

using platform::gbkToWideLossy;
using platform::wideToGbkLossy;

TEST(WideTextLossy, ValidTextConvertsExactlyBothWays) {
    EXPECT_EQ(gbkToWideLossy(g("作战指挥室").view()), L"作战指挥室");
    EXPECT_EQ(wideToGbkLossy(L"作战指挥室"), g("作战指挥室"));
    EXPECT_EQ(wideToGbkLossy(L""), text::Gbk());
}

TEST(WideTextLossy, CharacterGbkCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(wideToGbkLossy(L"a\u20A9b"), g("a?b"));
}

TEST(WideTextLossy, HalfACharacterStillShowsTheRest) {
    // "作" cut after its first byte, as a fixed-size field may cut it.
    const std::string cut = g("好作").bytes().substr(0, 3);

    const std::wstring shown = gbkToWideLossy(cut);

    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), L'好');
    EXPECT_FALSE(platform::gbkToWide(cut).has_value());  // the strict one refuses it
}

}  // namespace
}  // namespace ardentis::testing
