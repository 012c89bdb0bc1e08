// The launch files' whole bytes; that a start writes them and the game reads them is the game
// start suite's.
#include "game/launch_files.h"

#include <gtest/gtest.h>

#include <string>

#include "game/game_end.h"
#include "platform/fake/fake_registry.h"
#include "text/literal.h"

namespace ardentis::game {
namespace {

using text::Gbk;

// Every option differs from the others, so each line shows which one it is written from.
TEST(LaunchFiles, HostFileHoldsEachOptionOnItsLineScaledAndTheAccountInGbk) {
    protocol::RoomRecord room;
    room.watch = 1;
    room.mapmode = 2;
    room.startpos = 3;
    room.cheat = 4;
    room.los = 5;
    room.commander = 6;
    room.metal = 7;
    room.energy = 0;
    room.unitlimit = 5;
    room.maxplayers = 9;
    EXPECT_EQ(hostIniText(room, Gbk("Comet Catcher"), Gbk("5.1.2.3"), text::zh<"玩家">()).bytes(),
              "[totala]\r\nwatching=1\r\nmapmode=2\r\nlocation=3\r\ncheats=4\r\nlos=5\r\n"
              "deathopt=6\r\nmetal=7000\r\nenergy=0\r\nmaxunits=250\r\nplayerlimit=9\r\n"
              "connect=1\r\naddress=5.1.2.3\r\npfs=3\r\nplayer=\xCD\xE6\xBC\xD2\r\npassword=\r\n"
              "session=\xCD\xE6\xBC\xD2's game\r\nprovider=MORVANE\r\nmission=Comet Catcher\r\n"
              "creator=1\r\ntournment=1\r\nlockOptions=0\r\n");
    EXPECT_EQ(clientIniText(Gbk("5.6.7.8"), Gbk("cd")).bytes(),
              "[totala]\r\nconnect=1\r\naddress=5.6.7.8\r\npfs=3\r\nplayer=cd\r\npassword=\r\n"
              "creator=0\r\n");
}

TEST(LaunchFiles, GammaIsTwelveAsADwordUnderTheGamesKey) {
    platform::FakeRegistry registry;
    ASSERT_TRUE(writeGamma(registry));
    auto opened = registry.openKey(platform::RegistryHive::CurrentUser,
                                   "Software\\Cavedog Entertainment\\Total Annihilation");
    ASSERT_TRUE(opened);
    EXPECT_EQ((*opened)->readDword("gamma"), 12U);
}

TEST(LaunchFiles, SupremeCommanderHostsOnItsPortAndOnlyTheCodeScIsIt) {
    EXPECT_EQ(launchCommand(Game::SupremeCommander, Role::Host, Gbk("ab"), Gbk()),
              (LaunchCommand{Gbk("/exitongameover /hostgame udp 5000 ab game of ab"),
                             platform::WindowMode::Normal}));
    for (const char* code : {"sc", "00", "", "SC "}) {
        EXPECT_EQ(gameOfCode(Gbk(code)), Game::TotalAnnihilation) << code;
    }
    EXPECT_EQ(gameOfCode(Gbk("SC")), Game::SupremeCommander);
}

TEST(GameEnd, ReturnNoticeIsCutToThirtyFourBytes) {
    EXPECT_EQ(returnNotice(Gbk("ab")), Gbk("ab") + text::zh<"从战斗中返回。">());
    const Gbk longName("abcdefghijklmnopqrstuvw");  // 23 bytes: 11 left, five characters and a half
    EXPECT_EQ(returnNotice(longName), (longName + text::zh<"从战斗中返回。">()).left(34));
    EXPECT_EQ(returnNotice(longName).size(), 34U);
}

}  // namespace
}  // namespace ardentis::game
