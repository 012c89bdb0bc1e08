#include <gtest/gtest.h>

#include <string>

#include "protocol/lobby_message.h"
#include "protocol/record_text.h"

namespace ardentis::protocol {
namespace {

using namespace std::string_literals;

// Blanks and control bytes inside fields stay, only the line's ends are trimmed; "%" is text;
// GBK bytes and NUL are bytes like any other; an overlong length byte prints only the field's
// own bytes; numbers, and the command's two bytes, are signed; the network type is left out.
TEST(RecordText, PrintsEveryFieldAsItIsAndNumbersSignedWithoutTheNetworkType) {
    LobbyMessage message{};
    message.sparam1.set(std::string_view("  100%"));
    message.sparam2.set(std::string_view("%s%d%n%%%"));
    message.sparam3.set(" \t\r\n "s);
    message.sparam4.bytes.fill('y');
    message.sparam4.length = 21;
    message.sparam5.set(std::string_view("next"));
    message.sparam8.set("a\0b"s);
    message.sparam9.set(std::string_view("\xB4\xF3\xCC\xFC  "));
    message.iparam1.set(-2147483647 - 1);
    message.iparam2.set(2147483647);
    message.iparam5.set(-1);
    message.iparam6.set(-128);
    message.iparam7.set(127);
    message.iparam10.set(3);
    message.iparam11.set(4);
    message.roomnettype.set(77);
    EXPECT_EQ(RecordText(message).view(),
              "sparam1:  100% sparam2:%s%d%n%%% sparam3: \t\r\n  sparam4:yyyyyyyyyyyyyyyyyyyy "
              "sparam5:next sparam6: sparam7: sparam8:a\0b sparam9:\xB4\xF3\xCC\xFC   "
              "iparam1:-2147483648 iparam2:2147483647 iparam3:0 iparam4:0 iparam5:-1 "
              "iparam6:-128 iparam7:127 iparam8:0 iparam9:0 :iparam10:3 iparam11:4"s);
    for (const auto& [command, sub, text] :
         {std::tuple{0, 0, "0:0"}, {255, 20, "-1:20"}, {4, 255, "4:-1"}, {128, 127, "-128:127"}}) {
        message.setKind(static_cast<std::uint8_t>(command), static_cast<std::int8_t>(sub));
        EXPECT_EQ(CommandText(message).view(), text);  // both bytes signed
    }
}

}  // namespace
}  // namespace ardentis::protocol
