// The launch files' whole bytes and the command lines through a game start are the game start
// suite's; here are what a start with the window's defaults cannot show.
#include "game/launch_files.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_registry.h"
#include "text/literal.h"

namespace ardentis::game {
namespace {

using text::Gbk;

TEST(LaunchFiles, SlidersAreScaledAndAChineseAccountIsWrittenInGbk) {
    protocol::RoomRecord room;
    room.maxplayers = 4;
    room.unitlimit = 5;
    room.metal = 10;
    room.energy = 0;
    const std::string text =
        hostIniText(room, Gbk("Comet Catcher"), Gbk("5.1.2.3"), text::zh<"玩家">()).bytes();
    for (const char* line :
         {"playerlimit=4", "maxunits=250", "metal=10000", "energy=0", "mission=Comet Catcher",
          "player=\xCD\xE6\xBC\xD2", "session=\xCD\xE6\xBC\xD2's game"}) {
        EXPECT_NE(text.find("\r\n" + std::string(line) + "\r\n"), std::string::npos) << line;
    }
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

}  // namespace
}  // namespace ardentis::game
