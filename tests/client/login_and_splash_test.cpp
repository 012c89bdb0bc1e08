#include <gtest/gtest.h>

#include "headless_fixture.h"
#include "protocol/des.h"
#include "settings/options_store.h"

namespace ardentis::forms::testing {
namespace {

using platform::RegistryHive;
using protocol::LobbyMessage;
using std::chrono::milliseconds;
using text::Gbk;
using text::zh;

LobbyMessage loginAnswer(std::int8_t subcommand) {
    LobbyMessage answer{};
    answer.setKind(protocol::command::kLogin, subcommand);
    return answer;
}

class LoginAnswer : public HeadlessFixture {
  protected:
    // The options window's account page, as a log-in of an earlier session left it.
    void accountPageShown() { headless_.options.TabSheet2.setVisible(true); }

    void expectRefused() {
        EXPECT_TRUE(headless_.login.window.visible());
        EXPECT_TRUE(headless_.login.BitBtn1.enabled());
        EXPECT_FALSE(headless_.options.TabSheet2.visible());
        EXPECT_EQ(socket_.closeCalls(), 1);
        EXPECT_FALSE(socket_.connected());
        EXPECT_EQ(headless_.main.BitBtn1.caption(), zh<"连接">());
        EXPECT_FALSE(headless_.main.BitBtn2.enabled());
        EXPECT_TRUE(client_.currentUser.account.empty());
        EXPECT_EQ(lastLine(headless_.main.MemRecev), zh<"失去和服务器的联系,请重新连接!">());
    }
};

TEST_F(LoginAnswer, OkShowsNoMessageAndStoresAccountThenEncipheredPassword) {
    startAndConnect();
    const auto writesBefore = machine_.registry.writes().size();
    acceptLogin();
    EXPECT_TRUE(machine_.infoBox.shown.empty());
    const auto& writes = machine_.registry.writes();
    ASSERT_EQ(writes.size(), writesBefore + 2);
    EXPECT_EQ(writes[writesBefore].name, "usr");
    EXPECT_EQ(writes[writesBefore + 1].name, "pwd");
    const auto section = settings::kOptionsSection;
    EXPECT_EQ(machine_.registry.text(RegistryHive::CurrentUser, section, "usr"), Gbk("alice"));
    EXPECT_EQ(machine_.registry.text(RegistryHive::CurrentUser, section, "pwd"),
              Gbk(protocol::des::EncryptHex("secret")));
    EXPECT_EQ(headless_.main.BitBtn1.caption(), zh<"断开">());
    EXPECT_TRUE(headless_.main.BitBtn1.enabled());
}

TEST_F(LoginAnswer, BadShowsItsMessageReopensTheLogInWindowAndEndsTheConnection) {
    startAndConnect();
    accountPageShown();
    receive(loginAnswer(protocol::subcommand::kLoginBad));
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"帐号密码不对，登录失败!">());
    expectRefused();
}

TEST_F(LoginAnswer, DupNamesTheAccountTypedAndEndsTheConnection) {
    startAndConnect(Gbk("bob"));
    accountPageShown();
    receive(loginAnswer(protocol::subcommand::kLoginDup));
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], Gbk("bob") + zh<"已经在线，不能重复登录!">());
    expectRefused();
}

TEST_F(LoginAnswer, RefusalStoresNothing) {
    startAndConnect();
    const auto writesBefore = machine_.registry.writes().size();
    receive(loginAnswer(protocol::subcommand::kLoginBad));
    EXPECT_EQ(machine_.registry.writes().size(), writesBefore);
}

class LoginWindow : public HeadlessFixture {
  protected:
    // Start-up without automatic log-in: the lobby window shows after the splash.
    void startWithoutAutoLogin() {
        machine_.storeSettings(Gbk("alice"), Gbk("secret"), Gbk("127.0.0.1"), 8888, false);
        client_.start();
        loop_.advance(milliseconds(2000));
    }
};

TEST_F(LoginWindow, ConnectButtonShowsItWhenAutomaticLogInIsOff) {
    startWithoutAutoLogin();
    EXPECT_TRUE(headless_.main.window.visible());
    EXPECT_FALSE(headless_.login.window.visible());
    EXPECT_TRUE(socket_.host().empty());

    ASSERT_TRUE(headless_.main.BitBtn1.click());
    EXPECT_TRUE(headless_.login.window.visible());
    EXPECT_FALSE(headless_.main.BitBtn1.enabled());
    EXPECT_TRUE(socket_.host().empty());
}

TEST_F(LoginWindow, CancelReenablesTheConnectButtonAndSendsNothing) {
    startWithoutAutoLogin();
    headless_.main.BitBtn1.click();
    headless_.login.usr.type(Gbk("alice"));
    headless_.login.pwd.type(Gbk("secret"));

    ASSERT_TRUE(headless_.login.BitBtn2.click());
    EXPECT_FALSE(headless_.login.window.visible());
    EXPECT_TRUE(headless_.main.BitBtn1.enabled());
    EXPECT_EQ(headless_.main.BitBtn1.caption(), zh<"连接">());
    // The socket was never opened, so no log-in record can follow.
    EXPECT_TRUE(socket_.host().empty());
    EXPECT_EQ(headless_.main.MemRecev.lineCount(), 0);
}

TEST_F(LoginWindow, OkConnectsToTheStoredServerWithTheTypedAccount) {
    startWithoutAutoLogin();
    headless_.main.BitBtn1.click();
    headless_.login.usr.type(Gbk("carol"));
    headless_.login.pwd.type(Gbk("pw"));
    ASSERT_TRUE(headless_.login.BitBtn1.click());
    EXPECT_FALSE(headless_.login.window.visible());
    EXPECT_FALSE(headless_.login.BitBtn1.enabled());
    EXPECT_EQ(lastLine(headless_.main.MemRecev), zh<"正在连接服务器，请稍候......">());
    EXPECT_EQ(socket_.host(), "127.0.0.1");
    EXPECT_EQ(socket_.port(), 8888);

    socket_.completeConnect();
    const auto sent = sentRecords();
    ASSERT_EQ(sent.size(), 1U);
    EXPECT_EQ(sent[0].sparam1.text(), Gbk("carol"));
    EXPECT_EQ(sent[0].sparam2.text(), Gbk(protocol::des::EncryptHex("pw")));
}

TEST_F(LoginWindow, ConnectButtonLogsInAgainAtOnceWhenAutomaticLogInIsOn) {
    logIn();
    socket_.peerClose();
    (void)sentRecords();
    ASSERT_TRUE(headless_.main.BitBtn1.click());
    EXPECT_FALSE(headless_.login.window.visible());
    socket_.completeConnect();
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{0, 0}}));
    EXPECT_EQ(sent[0].sparam1.text(), Gbk("alice"));
}

class LoginPort : public LoginWindow, public ::testing::WithParamInterface<const char*> {};

TEST_P(LoginPort, ThatIsNoPortNumberIsNamedAndNothingIsConnected) {
    machine_.storeSettings(Gbk("alice"), Gbk("secret"), Gbk("127.0.0.1"), 8888, false);
    machine_.registry.setText(RegistryHive::CurrentUser, settings::kOptionsSection, "port",
                              Gbk(GetParam()));
    client_.start();
    loop_.advance(milliseconds(2000));
    headless_.main.BitBtn1.click();
    ASSERT_TRUE(headless_.login.BitBtn1.click());
    EXPECT_TRUE(socket_.host().empty());
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"服务器端口 ">() + Gbk(GetParam()) +
                                             zh<" 不是有效的端口号，请在选项中设置服务器端口">());
    EXPECT_TRUE(headless_.main.BitBtn1.enabled());
    EXPECT_EQ(headless_.main.BitBtn1.caption(), zh<"连接">());
}

INSTANTIATE_TEST_SUITE_P(Texts, LoginPort, ::testing::Values("88a8", "65536", "0", "-1", " 8888"));

// How a connection ends; each way resets the connection state.
enum class End { UserDisconnect, ServerClose, SocketError };

const char* nameOf(End way) {
    switch (way) {
        case End::UserDisconnect:
            return "UserDisconnect";
        case End::ServerClose:
            return "ServerClose";
        case End::SocketError:
            return "SocketError";
    }
    return "Unknown";
}

void PrintTo(End way, std::ostream* os) {
    *os << nameOf(way);
}

class ConnectionEnd : public HeadlessFixture, public ::testing::WithParamInterface<End> {
  protected:
    void end() {
        switch (GetParam()) {
            case End::UserDisconnect:
                ASSERT_EQ(headless_.main.BitBtn1.caption(), zh<"断开">());
                headless_.main.BitBtn1.click();
                break;
            case End::ServerClose:
                socket_.peerClose();
                break;
            case End::SocketError:
                socket_.failConnect(platform::OsError{"recv", 10054});
                break;
        }
    }
};

TEST_P(ConnectionEnd, EmptiesTheListsAndForgetsTheUserAndRoomWithoutSendingAnything) {
    logIn();
    receive(userRecord(Gbk("bob"), zh<"大厅">()));
    receive(roomRecord(openRoom(Gbk("bob"), Gbk("R-bob"))));
    (void)joinRoom(Gbk("carol"));
    ASSERT_NE(client_.connection()->lobby.myroom, nullptr);
    ASSERT_EQ(headless_.main.lvlobby.rowCount(), 2);
    ASSERT_EQ(headless_.main.lvrooms.rowCount(), 2);

    end();
    EXPECT_EQ(headless_.main.lvlobby.rowCount(), 0);
    EXPECT_EQ(headless_.main.lvrooms.rowCount(), 0);
    EXPECT_TRUE(client_.currentUser.account.empty());
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
    EXPECT_TRUE(client_.connection()->lobby.users.empty());
    EXPECT_TRUE(client_.connection()->lobby.rooms.empty());
    // The old room is dropped, not left: no leave record, no user record.
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_EQ(headless_.main.BitBtn1.caption(), zh<"连接">());
    EXPECT_TRUE(headless_.main.BitBtn1.enabled());
    EXPECT_FALSE(headless_.main.BitBtn2.enabled());
    EXPECT_EQ(lastLine(headless_.main.MemRecev), zh<"失去和服务器的联系,请重新连接!">());
}

TEST_P(ConnectionEnd, ReloadsTheSettings) {
    logIn();
    machine_.registry.setText(RegistryHive::CurrentUser, settings::kOptionsSection, "host",
                              Gbk("127.0.0.9"));
    machine_.registry.setText(RegistryHive::CurrentUser, settings::kOptionsSection, "port",
                              Gbk("8899"));
    end();
    EXPECT_EQ(client_.options.host, Gbk("127.0.0.9"));
    EXPECT_EQ(client_.options.port, Gbk("8899"));
}

TEST_P(ConnectionEnd, OnlyTheSocketErrorShowsAMessage) {
    logIn();
    machine_.infoBox.shown.clear();
    end();
    if (GetParam() == End::SocketError) {
        ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
        EXPECT_EQ(machine_.infoBox.shown[0], zh<"不能连接到服务器">() + Gbk("127.0.0.1:8888") +
                                                 zh<"，请尝试在选项中设置服务器地址和端口">());
    } else {
        EXPECT_TRUE(machine_.infoBox.shown.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWay, ConnectionEnd,
                         ::testing::Values(End::UserDisconnect, End::ServerClose, End::SocketError),
                         [](const ::testing::TestParamInfo<End>& way) {
                             return nameOf(way.param);
                         });

// The connection ends in the middle of one of the client's own steps.
class EndedMidStep : public HeadlessFixture {
  protected:
    // The next record sent gets 100 bytes out, then the connection is found gone.
    void loseTheConnectionInTheNextSend() {
        socket_.scriptSends({100});
        socket_.dropAfterSent(socket_.sent().size() + 100);
    }
    void expectLoggedOutAndNoRoom() {
        EXPECT_TRUE(client_.currentUser.location.empty()) << "written into the cleared user";
        EXPECT_FALSE(headless_.main.BitBtn2.enabled()) << "指挥室 enabled while disconnected";
        EXPECT_EQ(headless_.main.BitBtn1.caption(), zh<"连接">());
        EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
    }
};

TEST_F(EndedMidStep, RoomClosingStopsAtTheLostLeaveRecord) {
    logIn();
    const protocol::RoomRecord room = joinRoom(Gbk("bob"));
    loseTheConnectionInTheNextSend();
    receive(roomRecord(room, protocol::subcommand::kRoomClosed));
    expectLoggedOutAndNoRoom();
}

TEST_F(EndedMidStep, OwnRoomUpdateStopsAtTheLostStateRecord) {
    logIn();
    const protocol::RoomRecord room = joinRoom(Gbk("bob"));
    loseTheConnectionInTheNextSend();
    receive(roomRecord(room));
    expectLoggedOutAndNoRoom();
}

TEST_F(EndedMidStep, AfterTheConnectionEndsInARoomNoRoomCanBeMade) {
    logIn();
    (void)joinRoom(Gbk("bob"));
    socket_.peerClose();
    ASSERT_TRUE(headless_.battleroom.BitBtn3.click());  // 退出
    EXPECT_FALSE(headless_.main.BitBtn2.enabled());
    // Even a room window left open can't make one.
    headless_.battleroom.window.show();
    machine_.infoBox.shown.clear();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    ASSERT_TRUE(headless_.battleroom.BitBtn1.click());  // 创建
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"失去和服务器的联系,请重新连接!">());

    // After the next log-in every room can be joined again.
    ASSERT_TRUE(headless_.main.BitBtn1.click());  // 连接
    socket_.completeConnect();
    acceptLogin();
    receive(roomRecord(openRoom(Gbk("carol"), Gbk("R-carol"))));
    (void)sentRecords();
    doubleClickRoom(Gbk("R-carol"));
    EXPECT_EQ(machine_.infoBox.shown.size(), 1U) << "an old room blocks the join";
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, protocol::subcommand::kRoomJoin}}));
}

TEST_F(EndedMidStep, ConnectionEndingWhileTheRoomPasswordIsAskedJoinsNothing) {
    logIn();
    protocol::RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
    room.password = Gbk("pw");
    receive(roomRecord(room));
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    machine_.inputpassword.answers.emplace_back(Gbk("pw"));
    machine_.inputpassword.whileAsking = [this] { socket_.peerClose(); };
    doubleClickRoom(room.roomno);
    EXPECT_FALSE(headless_.battleroom.window.visible());
    EXPECT_FALSE(headless_.main.BitBtn2.enabled());
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
}

class UserDisconnect : public HeadlessFixture {};

TEST_F(UserDisconnect, AnnouncesItselfThenEndsInTheDisconnectHandling) {
    logIn();
    const int before = headless_.main.MemRecev.lineCount();
    headless_.main.BitBtn1.click();
    EXPECT_EQ(socket_.closeCalls(), 1);
    ASSERT_EQ(headless_.main.MemRecev.lineCount(), before + 2);
    EXPECT_EQ(headless_.main.MemRecev.line(before), zh<"正在断开连接，请稍候......">());
    EXPECT_EQ(headless_.main.MemRecev.line(before + 1), zh<"失去和服务器的联系,请重新连接!">());
}

}  // namespace
}  // namespace ardentis::forms::testing
