#include <string>

#include "game_start_fixture.h"

namespace ardentis::forms::testing {
namespace {

using platform::SimulatedTotalAnnihilation;
using Screen = SimulatedTotalAnnihilation::Screen;
using text::Gbk;
using text::zh;

namespace sub = protocol::subcommand;

class JoinerStart : public GameStartFixture {};

TEST_F(JoinerStart, StartRecordStoresTheHostAddressBeforeTheJoinerFileIsWritten) {
    logIn(Gbk("cd"));
    const auto room = joinRoom(Gbk("ab"));
    receive(gameStart(room.roomno, lan_.hosts[0], Gbk("ab")));
    EXPECT_EQ(client_.options.hostip, lan_.hosts[0]);
    EXPECT_EQ(launchFile("tmpclient.ini"),
              "[totala]\r\nconnect=1\r\naddress=" + lan_.hosts[0].bytes() +
                  "\r\npfs=3\r\nplayer=cd\r\npassword=\r\ncreator=0\r\n");
    ASSERT_TRUE(ta_);
    EXPECT_FALSE(ta_->setup().host);
    EXPECT_EQ(ta_->setup().address, lan_.hosts[0]);  // what the game read at its start
}

TEST_F(JoinerStart, ASecondGameUsesTheNewHostAddress) {
    logIn(Gbk("cd"));
    const auto room = joinRoom(Gbk("ab"));
    receive(gameStart(room.roomno, lan_.hosts[0], Gbk("ab")));
    machine_.gameWindows.close(taWindow_);
    loop_.advance(std::chrono::milliseconds(1000));
    receive(gameStart(room.roomno, lan_.hosts[1], Gbk("ab")));
    EXPECT_EQ(ta_->setup().address, lan_.hosts[1]);
}

TEST_F(JoinerStart, StartsMaximisedAnnouncesAndDrivesIntoTheHostsGame) {
    logIn(Gbk("cd"));
    const auto room = joinRoom(Gbk("ab"));
    headless_.battleroom.CheckBox1.click();  // ready
    (void)sentRecords();
    receive(gameStart(room.roomno, lan_.hosts[0], Gbk("ab")));
    ASSERT_EQ(machine_.launcher.launches().size(), 1U);
    EXPECT_EQ(machine_.launcher.launches()[0].parameters, Gbk("-c tmpclient.ini"));
    EXPECT_EQ(machine_.launcher.launches()[0].mode, platform::WindowMode::Maximized);
    const auto records = sentRecords();
    ASSERT_EQ(kinds(records), (Kinds{{4, sub::kRoomChat}, {4, sub::kPlayerState}}));
    EXPECT_EQ(records[0].sparam1.text(),
              zh<"作战指挥室>>">() + Gbk("cd") + zh<"开始进入战场，请稍候．">());
    EXPECT_EQ(records[1].iparam1.get(), -1);  // ready and in a game: 战斗
    EXPECT_EQ(readyMark(Gbk("cd")), zh<"战斗">());

    steps(3);  // connect dialog, game list (join), the host's battle room
    EXPECT_EQ(ta_->screen(), Screen::Battleroom);
    ta_->everyoneReady();
    steps(1);
    EXPECT_EQ(ta_->screen(), Screen::Battle);
    EXPECT_TRUE(ofKind(sentRecords(), sub::kGameStart).empty());  // only a host sends it
}

TEST_F(JoinerStart, StartsTheRoomsModEvenOneInstalledAfterStartUp) {
    logIn(Gbk("cd"));
    machine_.files.addFile(Gbk(std::string(kTaDir) + "TA33A.exe"));
    protocol::RoomRecord room = openRoom(Gbk("ab"), Gbk("R-ab"));
    room.modcode = Gbk("21");
    room.modname = Gbk("TA33A");
    receive(roomRecord(room));
    doubleClickRoom(room.roomno);
    receive(memberRecord(room.roomno, Gbk("ab")));
    protocol::LobbyMessage own = memberRecord(room.roomno, Gbk("cd"));
    own.setKind(protocol::command::kRoom, sub::kRoomEnter);
    receive(own);
    receive(gameStart(room.roomno, lan_.hosts[0], Gbk("ab")));
    ASSERT_EQ(machine_.launcher.launches().size(), 1U);
    EXPECT_EQ(machine_.launcher.launches()[0].path, Gbk(std::string(kTaDir) + "TA33A.exe"));
}

TEST_F(JoinerStart, StartRecordForAnotherRoomStartsNothing) {
    logIn(Gbk("cd"));
    joinRoom(Gbk("ab"));
    receive(gameStart(Gbk("R-elsewhere"), lan_.hosts[0], Gbk("ef")));
    EXPECT_TRUE(machine_.launcher.launches().empty());
    EXPECT_TRUE(client_.options.hostip.empty());
    EXPECT_FALSE(machine_.files.fileExists(Gbk(std::string(kTaDir) + "tmpclient.ini")));
}

}  // namespace
}  // namespace ardentis::forms::testing
