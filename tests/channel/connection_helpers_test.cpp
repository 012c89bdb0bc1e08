#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_append.h"
#include "protocol/connection_helpers.h"
#include "protocol/traffic_log.h"
#include "tests/channel/channel_test_support.h"

namespace ardentis::protocol {
namespace {

class Helper : public ::testing::Test {
  protected:
    testing::ScratchDirectory dir;
    testing::FixedClock clock{platform::LocalTime{2026, 2, 3, 4, 5, 6, 0}};
    TrafficLog log{platform::appendFileAt(dir.path() / "ardentisclient.log"), clock};
    testing::RecordingInfoBox infoBox;
    TcBaseFunctions base{log, infoBox};
};

TEST_F(Helper, ShowInfoGoesToTheInformationBox) {
    const text::Gbk message(std::string("\xB2\xBB\xC4\xDC\xC1\xAC\xBD\xD3"));  // 不能连接
    base.ShowInfo(message);
    EXPECT_EQ(infoBox.shown, std::vector<text::Gbk>{message});
    EXPECT_TRUE(testing::readFile(log.file()).empty());
}

TEST_F(Helper, LogWritersAppendToTheBorrowedLog) {
    LobbyMessage message{};
    message.setKind(1, 0);
    message.sparam1.set(std::string("hello"));
    base.LogRecord(message, Direction::Recv);
    base.LogText(text::Gbk("free text"));
    EXPECT_EQ(
        testing::lines(testing::readFile(log.file())),
        (std::vector<std::string>{"2026-02-03 04:05:06 Recv " + base.CommandText(message).bytes() +
                                      " " + base.RecordText(message).bytes(),
                                  "free text"}));
    EXPECT_EQ(base.CommandText(message), text::Gbk("1:0"));
}

TEST_F(Helper, UserAndRoomCodecRoundTrip) {
    UserRecord user;
    user.account = text::Gbk("player1");
    user.password = text::Gbk("secret");
    user.nickname = text::Gbk("nick");
    user.location = text::Gbk("12");
    LobbyMessage userMessage{};
    base.EncodeUser(user, userMessage);
    EXPECT_EQ(base.DecodeUser(userMessage), user);

    RoomRecord room;
    room.host = text::Gbk("player1");
    room.roomno = text::Gbk("7");
    room.maxplayers = 8;
    room.metal = 3;
    LobbyMessage roomMessage{};
    base.EncodeRoom(room, roomMessage);
    EXPECT_EQ(base.DecodeRoom(roomMessage), room);
    EXPECT_EQ(roomMessage.sparam9.view(), "player1");
}

}  // namespace
}  // namespace ardentis::protocol
