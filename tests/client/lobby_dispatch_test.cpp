#include <gtest/gtest.h>

#include "headless_fixture.h"

namespace ardentis::forms::testing {
namespace {

using protocol::LobbyMessage;
using protocol::RoomRecord;
using text::Gbk;
using text::zh;

namespace sub = protocol::subcommand;

class RoomChatDispatch : public HeadlessFixture {
  protected:
    // A line with every mark the dispatcher acts on.
    static Gbk loadedLine() {
        return zh<"作战指挥室>>">() + zh<"开始进入战场">() + Gbk(" !BB !WARNING");
    }

    void expectNoTrace(int roomLines, int lobbyLines) {
        EXPECT_EQ(headless_.battleroom.MemRecev.lineCount(), roomLines);
        EXPECT_EQ(headless_.main.MemRecev.lineCount(), lobbyLines);
        EXPECT_TRUE(headless_.battleroom.CheckBox1.enabled());
        EXPECT_TRUE(sentRecords().empty());  // also waits for any worker
        EXPECT_TRUE(machine_.sound.played().empty());
    }
};

TEST_F(RoomChatDispatch, LineForAnotherRoomLeavesNoTrace) {
    logIn();
    (void)joinRoom(Gbk("bob"));
    const int roomLines = headless_.battleroom.MemRecev.lineCount();
    const int lobbyLines = headless_.main.MemRecev.lineCount();
    receive(roomChat(Gbk("R-carol"), loadedLine(), Gbk("carol")));
    expectNoTrace(roomLines, lobbyLines);
}

TEST_F(RoomChatDispatch, LineOutsideAnyRoomLeavesNoTrace) {
    logIn();
    const int lobbyLines = headless_.main.MemRecev.lineCount();
    receive(roomChat(Gbk("R-carol"), loadedLine(), Gbk("carol")));
    expectNoTrace(0, lobbyLines);
}

TEST_F(RoomChatDispatch, LineForTheOwnRoomIsShown) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    receive(roomChat(room.roomno, Gbk("bob>>hello"), Gbk("bob")));
    EXPECT_EQ(lastLine(headless_.battleroom.MemRecev), Gbk("bob>>hello"));
    EXPECT_TRUE(headless_.battleroom.CheckBox1.enabled());
}

TEST_F(RoomChatDispatch, BattleNoticeDisablesTheReadyBoxButAChatLineSayingSoDoesNot) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    receive(roomChat(room.roomno, Gbk("bob>>") + zh<"开始进入战场">(), Gbk("bob")));
    EXPECT_TRUE(headless_.battleroom.CheckBox1.enabled());
    receive(roomChat(room.roomno, zh<"作战指挥室>>">() + Gbk("bob") + zh<"开始进入战场">(),
                     Gbk("bob")));
    EXPECT_FALSE(headless_.battleroom.CheckBox1.enabled());
}

class RoomFullDispatch : public HeadlessFixture {};

TEST_F(RoomFullDispatch, JoinAnswerNamesTheHost) {
    logIn();
    receive(roomRecord(openRoom(Gbk("bob"), Gbk("R-bob")), sub::kRoomJoin));
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0],
              zh<"房间">() + Gbk("bob") + zh<"的房间人数已满,不能进入!">());
}

}  // namespace
}  // namespace ardentis::forms::testing
