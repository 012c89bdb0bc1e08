#include "game/launch_files.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "text/literal.h"

namespace ardentis::game {
namespace {

using platform::RegistryHive;
using platform::WindowMode;
using text::Gbk;

constexpr const char* kTaDir = "C:\\Cavedog\\TA\\";

// The options of the battle room window as it first shows: what a new room carries.
protocol::RoomRecord defaultOptions() {
    protocol::RoomRecord room;
    room.watch = 2;
    room.mapmode = 2;
    room.startpos = 2;
    room.cheat = 1;
    room.los = 1;
    room.commander = 2;
    room.metal = 1;
    room.energy = 1;
    room.unitlimit = 30;
    room.maxplayers = 10;
    return room;
}

std::string fileAt(const platform::FakeFileSystem& files, const char* name) {
    return files.readFile(Gbk(kTaDir) + Gbk(name)).value_or("<missing>");
}

class LaunchFiles : public ::testing::Test {
  protected:
    platform::FakeFileSystem files_;
};

TEST_F(LaunchFiles, PlayerLimitAndUnitLimitAreScaledFromTheSliders) {
    protocol::RoomRecord room = defaultOptions();
    room.maxplayers = 4;
    room.unitlimit = 5;
    room.metal = 10;
    room.energy = 0;
    const std::string text =
        hostIniText(room, Gbk("Comet Catcher"), Gbk("5.1.2.3"), Gbk("ab")).bytes();
    EXPECT_NE(text.find("\r\nplayerlimit=4\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nmaxunits=250\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nmetal=10000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nenergy=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nmission=Comet Catcher\r\n"), std::string::npos);
}

TEST_F(LaunchFiles, ChineseAccountIsWrittenInGbk) {
    const Gbk account = text::zh<"玩家">();
    const std::string text =
        hostIniText(defaultOptions(), Gbk("Map"), Gbk("5.1.2.3"), account).bytes();
    EXPECT_NE(text.find("\r\nplayer=\xCD\xE6\xBC\xD2\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nsession=\xCD\xE6\xBC\xD2's game\r\n"), std::string::npos);
}

TEST_F(LaunchFiles, AnExistingFileIsReplacedWhole) {
    files_.addFile(Gbk(kTaDir) + Gbk("tmpclient.ini"), std::string(4096, 'x'));
    ASSERT_TRUE(createclientinifile(files_, Gbk(kTaDir), Gbk("5.6.7.8"), Gbk("cd")));
    EXPECT_EQ(fileAt(files_, "tmpclient.ini").rfind("[totala]\r\n", 0), 0U);
    EXPECT_EQ(fileAt(files_, "tmpclient.ini").find('x'), std::string::npos);
}

TEST_F(LaunchFiles, AFileThatCannotBeWrittenIsReported) {
    files_.refuseWrites(Gbk(kTaDir) + Gbk("tmphost.ini"));
    EXPECT_FALSE(createhostinifile(files_, Gbk(kTaDir), defaultOptions(), Gbk("Map"),
                                   Gbk("5.1.2.3"), Gbk("ab")));
}

TEST(GammaValue, TwelveAsADwordUnderTheGamesKey) {
    platform::FakeRegistry registry;
    ASSERT_TRUE(writeGamma(registry));
    const char* key = "Software\\Cavedog Entertainment\\Total Annihilation";
    EXPECT_EQ(registry.kindOf(RegistryHive::CurrentUser, key, "gamma"),
              platform::RegistryValueKind::Dword);
    auto opened = registry.openKey(RegistryHive::CurrentUser, key);
    ASSERT_TRUE(opened);
    EXPECT_EQ((*opened)->readDword("gamma"), 12U);
}

TEST(CommandLines, TotalAnnihilationNamesTheLaunchFileMaximised) {
    EXPECT_EQ(launchCommand(Game::TotalAnnihilation, Role::Host, Gbk("ab"), Gbk()),
              (LaunchCommand{Gbk("-c tmphost.ini"), WindowMode::Maximized}));
    EXPECT_EQ(launchCommand(Game::TotalAnnihilation, Role::Joiner, Gbk("cd"), Gbk("5.6.7.8")),
              (LaunchCommand{Gbk("-c tmpclient.ini"), WindowMode::Maximized}));
}

TEST(CommandLines, SupremeCommanderHostsOnItsPortAndTheJoinerAimsAtIt) {
    EXPECT_EQ(launchCommand(Game::SupremeCommander, Role::Host, Gbk("ab"), Gbk()),
              (LaunchCommand{Gbk("/exitongameover /hostgame udp 5000 ab game of ab"),
                             WindowMode::Normal}));
    EXPECT_EQ(
        launchCommand(Game::SupremeCommander, Role::Joiner, Gbk("cd"), Gbk("5.6.7.8")),
        (LaunchCommand{Gbk("/exitongameover /joingame udp 5.6.7.8:5000 cd"), WindowMode::Normal}));
}

TEST(CommandLines, OnlyTheCodeScIsSupremeCommander) {
    EXPECT_EQ(gameOfCode(Gbk("SC")), Game::SupremeCommander);
    EXPECT_EQ(gameOfCode(Gbk("sc")), Game::TotalAnnihilation);
    EXPECT_EQ(gameOfCode(Gbk("00")), Game::TotalAnnihilation);
    EXPECT_EQ(gameOfCode(Gbk()), Game::TotalAnnihilation);
}

}  // namespace
}  // namespace ardentis::game
