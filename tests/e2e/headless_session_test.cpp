// Whole sessions of headless clients against the real server on loopback.
#include <gtest/gtest.h>

#include <memory>

#include "headless_peer.h"
#include "tests/server/server_fixture.h"
#include "text/literal.h"

namespace ardentis::e2e {
namespace {

using ardentis::testing::ScratchDirectory;
using server::testing::RunningServer;
using text::Gbk;
using text::zh;

class HeadlessSession : public ::testing::Test {
  protected:
    HeadlessSession() : options_(server::testing::testOptions(dir_)) {
        options_.autoRegister = true;
        server::testing::addAccount(options_, "dave", "right");
        server_ = std::make_unique<RunningServer>(options_);
    }

    std::unique_ptr<HeadlessPeer> peer(const char* account, const char* password = "pw") {
        static std::uint8_t next = 1;
        return std::make_unique<HeadlessPeer>(dir_.path(), Gbk(account), Gbk(password),
                                              server_->port(), next++);
    }

    static bool loggedIn(HeadlessPeer& peer) {
        return peer.ui().main.BitBtn1.caption() == zh<"断开">();
    }
    static bool listsUser(HeadlessPeer& peer, const char* account) {
        return peer.ui().main.lvlobby.findCaption(Gbk(account)).has_value();
    }

    // alice, bob and carol on line, each seeing all three.
    void threeOnLine() {
        alice_ = peer("alice");
        bob_ = peer("bob");
        carol_ = peer("carol");
        for (auto* p : all()) {
            p->start();
        }
        ASSERT_TRUE(runUntil(all(), [&] {
            for (auto* p : all()) {
                if (!loggedIn(*p) || !listsUser(*p, "alice") || !listsUser(*p, "bob") ||
                    !listsUser(*p, "carol")) {
                    return false;
                }
            }
            return true;
        }));
    }

    // alice creates a room with a password and a limit of two players.
    Gbk aliceCreatesRoom() {
        auto& ui = alice_->ui();
        EXPECT_TRUE(ui.main.BitBtn2.click());
        ui.battleroom.pwd.type(Gbk("pw1"));
        ui.battleroom.Trackplayers.drag(2);
        EXPECT_TRUE(ui.battleroom.BitBtn1.click());
        Gbk roomno;
        EXPECT_TRUE(runUntil(all(), [&] {
            for (auto* p : all()) {
                if (p->ui().main.lvrooms.rowCount() != 1) {
                    return false;
                }
            }
            roomno = alice_->ui().main.lvrooms.caption(0);
            return true;
        }));
        return roomno;
    }

    // bob double-clicks the room and types its password.
    void bobJoins() {
        auto& ui = bob_->ui();
        bob_->machine().inputpassword.answers.push_back(Gbk("pw1"));
        ui.main.lvrooms.doubleClick(0);
        ASSERT_TRUE(runUntil(all(), [&] {
            return alice_->ui().battleroom.lvRoom.rowCount() == 2 &&
                   ui.battleroom.lvRoom.rowCount() == 2;
        }));
    }

    std::vector<HeadlessPeer*> all() {
        std::vector<HeadlessPeer*> peers;
        for (auto* p : {alice_.get(), bob_.get(), carol_.get()}) {
            if (p != nullptr) {
                peers.push_back(p);
            }
        }
        return peers;
    }

    ScratchDirectory dir_;
    server::ServerOptions options_;
    std::unique_ptr<RunningServer> server_;
    std::unique_ptr<HeadlessPeer> alice_;
    std::unique_ptr<HeadlessPeer> bob_;
    std::unique_ptr<HeadlessPeer> carol_;
};

TEST_F(HeadlessSession, ThreeClientsSeeEachOtherAndChatInTheLobby) {
    threeOnLine();
    alice_->ui().main.MemSend.typeLine(Gbk("hello all"));
    const Gbk line = Gbk("alice>>hello all");
    EXPECT_TRUE(runUntil(all(), [&] {
        return alice_->lobbyChatHas(line) && bob_->lobbyChatHas(line) && carol_->lobbyChatHas(line);
    }));
}

TEST_F(HeadlessSession, AWrongPasswordAndASecondLogInGetTheirMessages) {
    threeOnLine();
    auto wrong = peer("dave", "wrong");
    auto twice = peer("alice");
    wrong->start();
    twice->start();
    std::vector<HeadlessPeer*> peers = all();
    peers.push_back(wrong.get());
    peers.push_back(twice.get());
    ASSERT_TRUE(runUntil(peers, [&] {
        return !wrong->machine().infoBox.shown.empty() && !twice->machine().infoBox.shown.empty();
    }));
    EXPECT_EQ(wrong->machine().infoBox.shown.front(), zh<"帐号密码不对，登录失败!">());
    EXPECT_EQ(twice->machine().infoBox.shown.front(),
              Gbk("alice") + zh<"已经在线，不能重复登录!">());
    EXPECT_TRUE(wrong->ui().login.window.visible());
    EXPECT_EQ(wrong->ui().main.BitBtn1.caption(), zh<"连接">());
}

TEST_F(HeadlessSession, AJoinerEntersWithThePasswordAndAFullRoomIsRefused) {
    threeOnLine();
    aliceCreatesRoom();
    EXPECT_EQ(carol_->ui().main.lvrooms.subItem(0, 6), Gbk("******"));
    bobJoins();
    EXPECT_EQ(bob_->ui().battleroom.lvRoom.caption(0), Gbk("alice"));
    EXPECT_TRUE(
        runUntil(all(), [&] { return carol_->ui().main.lvrooms.subItem(0, 5) == Gbk("2/2"); }));

    carol_->machine().inputpassword.answers.push_back(Gbk("pw1"));
    carol_->ui().main.lvrooms.doubleClick(0);
    ASSERT_TRUE(runUntil(all(), [&] { return !carol_->machine().infoBox.shown.empty(); }));
    EXPECT_EQ(carol_->machine().infoBox.shown.front(),
              zh<"房间">() + Gbk("alice") + zh<"的房间人数已满,不能进入!">());
    EXPECT_EQ(carol_->ui().battleroom.lvRoom.rowCount(), 0);
}

TEST_F(HeadlessSession, ReadyMarksAndOptionsTravelThroughTheRoom) {
    threeOnLine();
    aliceCreatesRoom();
    bobJoins();
    auto& host = alice_->ui().battleroom;
    auto& joiner = bob_->ui().battleroom;

    EXPECT_FALSE(host.BitBtn2.enabled());
    joiner.CheckBox1.click();
    ASSERT_TRUE(runUntil(all(), [&] { return host.BitBtn2.enabled(); }));
    EXPECT_EQ(host.lvRoom.subItem(1, 2), zh<"就绪">());

    host.rglos.click(2);
    host.Trackmetal.drag(7);
    ASSERT_TRUE(runUntil(
        all(), [&] { return joiner.rglos.itemIndex() == 2 && joiner.Trackmetal.position() == 7; }));
    EXPECT_EQ(joiner.Lmetal.caption(), Gbk("7000"));
}

TEST_F(HeadlessSession, AJoinerGetsTheOptionsTheHostChangedBeforeHeCame) {
    threeOnLine();
    aliceCreatesRoom();
    auto& host = alice_->ui().battleroom;
    host.RGcommander.click(0);
    host.Trackmetal.drag(7);
    bobJoins();
    auto& joiner = bob_->ui().battleroom;
    EXPECT_TRUE(runUntil(all(), [&] {
        return joiner.RGcommander.itemIndex() == 0 && joiner.Trackmetal.position() == 7;
    }));
    EXPECT_EQ(host.RGcommander.itemIndex(), 0);
    EXPECT_EQ(host.Trackmetal.position(), 7);
}

}  // namespace
}  // namespace ardentis::e2e
