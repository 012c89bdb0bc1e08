#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "protocol/lobby_message.h"
#include "protocol/record_text.h"
#include "text/gbk.h"

namespace ardentis::protocol {
namespace {

using namespace std::string_literals;

constexpr std::string_view kZeroLine =
    "sparam1: sparam2: sparam3: sparam4: sparam5: sparam6: sparam7: sparam8: sparam9: "
    "iparam1:0 iparam2:0 iparam3:0 iparam4:0 iparam5:0 iparam6:0 iparam7:0 iparam8:0 "
    "iparam9:0 :iparam10:0 iparam11:0";

TEST(RecordText, AllZeroRecordHasEmptyTextsAndZeros) {
    const LobbyMessage message{};
    EXPECT_EQ(RecordText(message).view(), kZeroLine);
}

TEST(RecordText, PrintsEveryFieldSignedAndLeavesOutTheNetworkType) {
    LobbyMessage message{};
    message.setKind(4, 15);
    message.sparam1.set(std::string_view("map"));
    message.sparam2.set(std::string_view("comment"));
    message.sparam3.set(std::string_view("1234"));
    message.sparam4.set(std::string_view("0"));
    message.sparam5.set(std::string_view("TA"));
    message.sparam6.set(std::string_view("TA"));
    message.sparam7.set(std::string_view("pw"));
    message.sparam8.set(std::string_view("1234"));
    message.sparam9.set(std::string_view("\xB4\xF3\xCC\xFC"));  // GBK bytes, printed as they are
    message.iparam1.set(-2147483647 - 1);
    message.iparam2.set(2147483647);
    message.iparam3.set(300);
    message.iparam4.set(-1);
    message.iparam5.set(-1);
    message.iparam6.set(-128);
    message.iparam7.set(127);
    message.iparam8.set(1);
    message.iparam9.set(2);
    message.iparam10.set(3);
    message.iparam11.set(4);
    message.roomnettype.set(77);
    EXPECT_EQ(RecordText(message).view(),
              "sparam1:map sparam2:comment sparam3:1234 sparam4:0 sparam5:TA sparam6:TA "
              "sparam7:pw sparam8:1234 sparam9:\xB4\xF3\xCC\xFC iparam1:-2147483648 "
              "iparam2:2147483647 iparam3:300 iparam4:-1 iparam5:-1 iparam6:-128 iparam7:127 "
              "iparam8:1 iparam9:2 :iparam10:3 iparam11:4");
}

TEST(RecordText, PercentSignsInFieldsStayText) {
    LobbyMessage message{};
    message.sparam1.set(std::string_view("100%"));
    message.sparam2.set(std::string_view("%s%d%n%%%"));
    message.sparam9.set(std::string_view("%x"));
    const std::string expected =
        "sparam1:100% sparam2:%s%d%n%%% sparam3: sparam4: sparam5: "
        "sparam6: sparam7: sparam8: sparam9:%x " +
        std::string(kZeroLine.substr(kZeroLine.find("iparam1:")));
    EXPECT_EQ(RecordText(message).view(), expected);
}

TEST(RecordText, OnlyTheEndsOfTheWholeLineAreTrimmed) {
    // Blanks and control bytes inside fields are part of the line, even in the first and
    // last text fields; and an embedded NUL is a byte like any other.
    LobbyMessage message{};
    message.sparam1.set(std::string_view("  lead"));
    message.sparam5.set(" \t\r\n "s);
    message.sparam8.set("a\0b"s);
    message.sparam9.set(std::string_view("trail  "));
    const std::string expected =
        "sparam1:  lead sparam2: sparam3: sparam4: sparam5: \t\r\n  "
        "sparam6: sparam7: sparam8:a\0b sparam9:trail   "s +
        std::string(kZeroLine.substr(kZeroLine.find("iparam1:")));
    EXPECT_EQ(RecordText(message).view(), expected);
}

TEST(RecordText, OverlongLengthBytePrintsOnlyTheFieldsOwnBytes) {
    LobbyMessage message{};
    message.sparam9.bytes.fill('x');
    message.sparam9.length = 255;
    message.reserved = 'R';
    message.sparam3.bytes.fill('y');
    message.sparam3.length = 21;
    message.sparam4.set(std::string_view("next"));
    const std::string line(RecordText(message).view());
    EXPECT_NE(line.find("sparam9:" + std::string(20, 'x') + " iparam1:0"), std::string::npos)
        << line;
    EXPECT_NE(line.find("sparam3:" + std::string(20, 'y') + " sparam4:next"), std::string::npos)
        << line;
}

struct CommandCase {
    std::uint8_t command;
    std::uint8_t subcommand;
    const char* text;
};

void PrintTo(const CommandCase& v, std::ostream* os) {
    *os << v.text;
}

class RecordCommandText : public testing::TestWithParam<CommandCase> {};

TEST_P(RecordCommandText, PrintsBothBytesSignedWithoutTheTrailingBlank) {
    LobbyMessage message{};
    message.command = GetParam().command;
    message.subcommand = GetParam().subcommand;
    message.sparam1.set(std::string_view(" text "));
    EXPECT_EQ(CommandText(message).view(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Bytes, RecordCommandText,
                         testing::Values(CommandCase{0, 0, "0:0"}, CommandCase{4, 16, "4:16"},
                                         CommandCase{0, 255, "0:-1"}, CommandCase{2, 1, "2:1"},
                                         CommandCase{255, 20, "-1:20"},
                                         CommandCase{128, 127, "-128:127"}));

}  // namespace
}  // namespace ardentis::protocol
