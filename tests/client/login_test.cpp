// Start-up, log-in and the ways a connection ends, on the headless client.
#include <gtest/gtest.h>

#include "headless_fixture.h"
#include "protocol/des.h"
#include "settings/options_store.h"

namespace ardentis::forms::testing {
namespace {

using platform::RegistryHive;
using std::chrono::milliseconds;
using text::Gbk;
using text::zh;

const Gbk kLost = zh<"失去和服务器的联系,请重新连接!">();

class LoginFixture : public HeadlessFixture {
  protected:
    // Start-up without automatic log-in: the lobby window shows after the splash.
    void startWithoutAutoLogin() {
        machine_.storeSettings(Gbk("alice"), Gbk("secret"), Gbk("127.0.0.1"), 8888, false);
        client_.start();
        loop_.advance(milliseconds(2000));
    }
    void setOption(const char* name, const char* value) {
        machine_.registry.setText(RegistryHive::CurrentUser, settings::kOptionsSection, name,
                                  Gbk(value));
    }
    MemoryMainWindow& main = headless_.main;
};

class AutomaticLogIn : public LoginFixture {};

TEST_F(AutomaticLogIn, ConnectsAfterTheSplashAndStoresTheAccountOnSuccess) {
    machine_.storeSettings(Gbk("alice"), Gbk("secret"), Gbk("127.0.0.1"), 8888, true);
    client_.start();
    loop_.advance(milliseconds(1999));
    EXPECT_TRUE(socket_.host().empty());
    loop_.advance(milliseconds(1));
    EXPECT_FALSE(headless_.splash.window.visible());
    EXPECT_TRUE(main.window.visible());
    EXPECT_EQ(socket_.host(), "127.0.0.1");
    socket_.completeConnect();
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{0, 0}}));
    EXPECT_EQ(sent[0].sparam1.text(), Gbk("alice"));
    EXPECT_EQ(sent[0].sparam2.text(), Gbk(protocol::des::EncryptHex("secret")));

    const auto writesBefore = machine_.registry.writes().size();
    acceptLogin();
    EXPECT_TRUE(machine_.infoBox.shown.empty());
    const auto& writes = machine_.registry.writes();
    ASSERT_EQ(writes.size(), writesBefore + 2);
    EXPECT_EQ(writes[writesBefore].name + writes[writesBefore + 1].name, "usrpwd");
    EXPECT_EQ(main.BitBtn1.caption(), zh<"断开">());
    EXPECT_TRUE(main.BitBtn2.enabled());
    EXPECT_EQ(headless_.options.nick.text(), Gbk("alice-nick"));
}

struct Refusal {
    const char* name;
    std::int8_t subcommand;
    Gbk message;  // for the account bob
};

class LoginRefused : public LoginFixture, public ::testing::WithParamInterface<Refusal> {};

TEST_P(LoginRefused, ShowsItsMessageReopensTheLogInWindowAndEndsTheConnection) {
    startAndConnect(Gbk("bob"));
    headless_.options.TabSheet2.setVisible(true);  // as an earlier session left it
    const auto writesBefore = machine_.registry.writes().size();
    protocol::LobbyMessage answer{};
    answer.setKind(protocol::command::kLogin, GetParam().subcommand);
    receive(answer);
    EXPECT_EQ(machine_.infoBox.shown, (std::vector<Gbk>{GetParam().message}));
    EXPECT_TRUE(headless_.login.window.visible());
    EXPECT_TRUE(headless_.login.BitBtn1.enabled());
    EXPECT_FALSE(headless_.options.TabSheet2.visible());
    EXPECT_EQ(socket_.closeCalls(), 1);
    EXPECT_EQ(main.BitBtn1.caption(), zh<"连接">());
    EXPECT_FALSE(main.BitBtn2.enabled());
    EXPECT_TRUE(client_.currentUser.account.empty());
    EXPECT_EQ(lastLine(main.MemRecev), kLost);
    EXPECT_EQ(machine_.registry.writes().size(), writesBefore);
}

INSTANTIATE_TEST_SUITE_P(BadAndDup, LoginRefused,
                         ::testing::Values(Refusal{"Bad", protocol::subcommand::kLoginBad,
                                                   zh<"帐号密码不对，登录失败!">()},
                                           Refusal{"Dup", protocol::subcommand::kLoginDup,
                                                   Gbk("bob") + zh<"已经在线，不能重复登录!">()}),
                         [](const ::testing::TestParamInfo<Refusal>& refusal) {
                             return refusal.param.name;
                         });

class LoginWindow : public LoginFixture {};

TEST_F(LoginWindow, CancelSendsNothingAndOkConnectsWithTheTypedAccount) {
    startWithoutAutoLogin();
    ASSERT_TRUE(main.BitBtn1.click());
    EXPECT_FALSE(main.BitBtn1.enabled());
    ASSERT_TRUE(headless_.login.BitBtn2.click());
    EXPECT_TRUE(main.BitBtn1.enabled());
    EXPECT_TRUE(socket_.host().empty());
    main.BitBtn1.click();
    headless_.login.usr.type(Gbk("carol"));
    headless_.login.pwd.type(Gbk("pw"));
    ASSERT_TRUE(headless_.login.BitBtn1.click());
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
    ASSERT_TRUE(main.BitBtn1.click());
    EXPECT_FALSE(headless_.login.window.visible());
    socket_.completeConnect();
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{0, 0}}));
}

class LoginPort : public LoginFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(LoginPort, ThatIsNoPortNumberIsNamedAndNothingIsConnected) {
    machine_.storeSettings(Gbk("alice"), Gbk("secret"), Gbk("127.0.0.1"), 8888, false);
    setOption("port", GetParam());
    client_.start();
    loop_.advance(milliseconds(2000));
    main.BitBtn1.click();
    ASSERT_TRUE(headless_.login.BitBtn1.click());
    EXPECT_TRUE(socket_.host().empty());
    EXPECT_EQ(machine_.infoBox.shown,
              (std::vector<Gbk>{zh<"服务器端口 ">() + Gbk(GetParam()) +
                                zh<" 不是有效的端口号，请在选项中设置服务器端口">()}));
    EXPECT_TRUE(main.BitBtn1.enabled());
}

INSTANTIATE_TEST_SUITE_P(Texts, LoginPort, ::testing::Values("88a8", "65536", "0", "-1", " 8888"));

// How a connection ends; each way resets the connection state.
enum class End { UserDisconnect, ServerClose, SocketError };

class ConnectionEnd : public LoginFixture, public ::testing::WithParamInterface<End> {};

TEST_P(ConnectionEnd, EmptiesTheListsForgetsTheRoomSendsNothingAndReloadsTheSettings) {
    logIn();
    receive(userRecord(Gbk("bob"), zh<"大厅">()));
    receive(roomRecord(openRoom(Gbk("bob"), Gbk("R-bob"))));
    (void)joinRoom(Gbk("carol"));
    setOption("host", "127.0.0.9");
    machine_.infoBox.shown.clear();
    const int lines = main.MemRecev.lineCount();
    switch (GetParam()) {
        case End::UserDisconnect:
            main.BitBtn1.click();
            EXPECT_EQ(main.MemRecev.line(lines), zh<"正在断开连接，请稍候......">());
            break;
        case End::ServerClose:
            socket_.peerClose();
            break;
        case End::SocketError:
            socket_.failConnect(platform::OsError{"recv", 10054});
            break;
    }
    EXPECT_EQ(main.lvlobby.rowCount() + main.lvrooms.rowCount(), 0);
    EXPECT_TRUE(client_.currentUser.account.empty());
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
    EXPECT_TRUE(client_.connection()->lobby.users.empty());
    EXPECT_TRUE(sentRecords().empty()) << "the old room is dropped, not left";
    EXPECT_EQ(main.BitBtn1.caption(), zh<"连接">());
    EXPECT_FALSE(main.BitBtn2.enabled());
    EXPECT_EQ(lastLine(main.MemRecev), kLost);
    EXPECT_EQ(client_.options.host, Gbk("127.0.0.9"));
    EXPECT_EQ(machine_.infoBox.shown,
              GetParam() != End::SocketError
                  ? std::vector<Gbk>{}
                  : std::vector<Gbk>{zh<"不能连接到服务器">() + Gbk("127.0.0.1:8888") +
                                     zh<"，请尝试在选项中设置服务器地址和端口">()});
}

INSTANTIATE_TEST_SUITE_P(EveryWay, ConnectionEnd,
                         ::testing::Values(End::UserDisconnect, End::ServerClose,
                                           End::SocketError));

// The connection ends in the middle of one of the client's own steps.
class EndedMidStep : public LoginFixture {
  protected:
    // The next record sent gets 100 bytes out, then the connection is found gone.
    void loseTheConnectionInTheNextSend() {
        socket_.scriptSends({100});
        socket_.dropAfterSent(socket_.sent().size() + 100);
    }
    void expectLoggedOutAndNoRoom() {
        EXPECT_TRUE(client_.currentUser.location.empty()) << "written into the cleared user";
        EXPECT_FALSE(main.BitBtn2.enabled()) << "指挥室 enabled while disconnected";
        EXPECT_EQ(main.BitBtn1.caption(), zh<"连接">());
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
    EXPECT_FALSE(main.BitBtn2.enabled());
    headless_.battleroom.window.show();  // even a room window left open can't make one
    machine_.infoBox.shown.clear();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    ASSERT_TRUE(headless_.battleroom.BitBtn1.click());  // 创建
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
    EXPECT_EQ(machine_.infoBox.shown, (std::vector<Gbk>{kLost}));

    // After the next log-in every room can be joined again.
    ASSERT_TRUE(main.BitBtn1.click());  // 连接
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
    EXPECT_FALSE(main.BitBtn2.enabled());
    EXPECT_EQ(client_.connection()->lobby.myroom, nullptr);
}

}  // namespace
}  // namespace ardentis::forms::testing
