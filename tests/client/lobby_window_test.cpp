#include <gtest/gtest.h>

#include "headless_fixture.h"
#include "protocol/des.h"

namespace ardentis::forms::testing {
namespace {

using protocol::LobbyMessage;
using std::chrono::milliseconds;
using text::Gbk;
using text::zh;

class LobbyWindow : public HeadlessFixture {};

TEST_F(LobbyWindow, AutomaticLogInConnectsAfterTheSplashAndSendsTheEncipheredPassword) {
    machine_.storeSettings(Gbk("alice"), Gbk("secret"), Gbk("127.0.0.1"), 8888, true);
    client_.start();
    EXPECT_TRUE(headless_.splash.window.visible());
    EXPECT_FALSE(headless_.main.window.visible());
    loop_.advance(milliseconds(1999));
    EXPECT_FALSE(headless_.main.window.visible());
    loop_.advance(milliseconds(1));
    EXPECT_FALSE(headless_.splash.window.visible());
    EXPECT_TRUE(headless_.main.window.visible());
    EXPECT_EQ(socket_.host(), "127.0.0.1");
    EXPECT_EQ(socket_.port(), 8888);
    EXPECT_FALSE(headless_.login.window.visible());
    EXPECT_FALSE(headless_.main.BitBtn1.enabled());

    socket_.completeConnect();
    const auto sent = sentRecords();
    ASSERT_EQ(sent.size(), 1U);
    EXPECT_EQ(sent[0].command, 0);
    EXPECT_EQ(sent[0].subcommand, 0);
    EXPECT_EQ(sent[0].sparam1.text(), Gbk("alice"));
    EXPECT_EQ(sent[0].sparam2.text(), Gbk(protocol::des::EncryptHex("secret")));
}

TEST_F(LobbyWindow, LoginOkEnablesTheRoomButtonAndStoresTheAccount) {
    startAndConnect();
    acceptLogin();
    EXPECT_EQ(headless_.main.BitBtn1.caption(), zh<"断开">());
    EXPECT_TRUE(headless_.main.BitBtn2.enabled());
    EXPECT_EQ(headless_.main.prompt.caption(), zh<"用户:">() + Gbk("alice") + zh<" 位置:大厅">());
    EXPECT_EQ(client_.currentUser.account.gbk(), Gbk("alice"));
    EXPECT_TRUE(headless_.options.TabSheet2.visible());
    EXPECT_EQ(headless_.options.nick.text(), Gbk("alice-nick"));
}

TEST_F(LobbyWindow, LoginDupShowsTheAccountAndEndsTheConnection) {
    startAndConnect();
    LobbyMessage dup{};
    dup.setKind(0, -1);
    receive(dup);
    ASSERT_FALSE(machine_.infoBox.shown.empty());
    EXPECT_EQ(machine_.infoBox.shown.front(), Gbk("alice") + zh<"已经在线，不能重复登录!">());
    EXPECT_TRUE(headless_.login.window.visible());
    EXPECT_EQ(headless_.main.BitBtn1.caption(), zh<"连接">());
    EXPECT_EQ(headless_.main.MemRecev.line(headless_.main.MemRecev.lineCount() - 1),
              zh<"失去和服务器的联系,请重新连接!">());
}

TEST_F(LobbyWindow, UsersAndChatArriveInTheLobby) {
    startAndConnect();
    acceptLogin();
    receive(userRecord(Gbk("alice"), zh<"大厅">()));
    receive(userRecord(Gbk("bob"), zh<"大厅">()));
    receive(userRecord(Gbk("bob"), zh<"大厅">()));
    ASSERT_EQ(headless_.main.lvlobby.rowCount(), 2);
    EXPECT_EQ(headless_.main.lvlobby.caption(1), Gbk("bob"));
    LobbyMessage chat{};
    chat.setKind(1, 7);
    chat.sparam1.set(Gbk("bob>>hi"));
    receive(chat);
    EXPECT_EQ(headless_.main.MemRecev.line(headless_.main.MemRecev.lineCount() - 1),
              Gbk("bob>>hi"));

    receive(userRecord(Gbk("bob"), zh<"大厅">(), 1));
    EXPECT_EQ(headless_.main.lvlobby.rowCount(), 1);
    EXPECT_EQ(headless_.main.MemRecev.line(headless_.main.MemRecev.lineCount() - 1),
              zh<"游戏大厅>>">() + Gbk("bob") + zh<"离开大厅。">());
}

}  // namespace
}  // namespace ardentis::forms::testing
