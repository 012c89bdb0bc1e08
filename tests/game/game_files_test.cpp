// The game's files: the mod table read from the mods file and the games' directories, the
// launch files' whole bytes and the command lines. That a start writes and the game reads them
// is the game start suite's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_end.h"
#include "game/launch_files.h"
#include "game/mod_table.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "text/code_page.h"
#include "text/literal.h"

namespace ardentis::game {
namespace {

using text::Gbk;

// The entries as "code:name;exe|exe", with "*" when the mods file named the code again.
std::vector<std::string> shown(const TModList& mods) {
    std::vector<std::string> all;
    for (const TModItem& mod : mods.items()) {
        std::string text = mod.code.bytes() + ":" + mod.name.bytes() + ";";
        for (std::size_t i = 0; i < mod.exes.size(); ++i) {
            text += (i > 0 ? "|" : "") + mod.exes[i].bytes();
        }
        all.push_back(text + (mod.infile ? "*" : ""));
    }
    return all;
}

// Mods file lines are added after the built-ins and never change one. Codes compare as exact
// bytes and names ignore the case of Latin letters only. The executable is the first candidate
// found in its game's directory: one table for every row, the game directories and the files are
// read at every call.
TEST(ModTable, ModsFileRowsCodesNamesAndTheExecutableFoundInItsGamesDirectory) {
    settings::Toptions options;
    platform::FakeFileSystem files;
    files.setExecutableDirectory(Gbk("C:\\Ardentis\\"));
    const auto modsFile = [&](std::string content) {
        files.addFile(Gbk("C:\\Ardentis\\mods.txt"), std::move(content));
    };
    const TModList builtIn(options, files);
    const struct {
        const char* file;
        std::vector<std::string> added;
        const char* marked = "";  // the built-in code the file repeats
    } cases[] = {
        {"42:First;first.exe\n42:Second;second.exe\n", {"42:First;first.exe*"}},
        {"00:Another Name;another.exe\n", {}, "00"},
        {"41 :Spaced; a.exe,,b.exe,\n48:Lead;,a.exe",
         {"41 :Spaced; a.exe||b.exe|", "48:Lead;|a.exe"}},
        {"\r\n\n# 40:Commented;c.exe\nno separators\nonly:colon\nonly;semicolon\n\r\n", {}},
        {"43:A;a.exe\r44:B;b.exe\n45:C;c.exe\r\n46:D;d.exe",
         {"43:A;a.exe", "44:B;b.exe", "45:C;c.exe", "46:D;d.exe"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        modsFile(c.file);
        std::vector<std::string> expected = shown(builtIn);
        for (std::string& mod : expected) {
            mod += mod.starts_with(std::string(c.marked) + ":") ? "*" : "";
        }
        expected.insert(expected.end(), c.added.begin(), c.added.end());
        EXPECT_EQ(shown(TModList(options, files)), expected);
    }
    const auto n = static_cast<int>(builtIn.items().size());
    // Two different GBK characters whose lead bytes differ by 0x20, as A and a do.
    modsFile("40:My Mod;first.exe,second.exe\n41 :Spaced;a.exe\n50:\xC1\xA1;c.exe\n51:" +
             text::gbk("大战A").bytes() + ";d.exe\n52:my mod;e.exe\n");
    const TModList mods(options, files);
    const std::pair<const char*, int> indices[] = {{"40", n},  {"41 ", n + 1}, {"41", -1},
                                                   {"4", -1},  {"40 ", -1},    {"", -1},
                                                   {"sc", -1}, {"52", n + 4}};
    for (const auto& [code, index] : indices) {
        EXPECT_EQ(mods.IndexOfCode(Gbk(code)), index) << '"' << code << '"';
    }
    const std::pair<Gbk, const char*> names[] = {{Gbk("MY MOD"), "52"},  // the last match
                                                 {Gbk("\xE1\xA1"), ""},
                                                 {Gbk("\xC1\xA1"), "50"},
                                                 {text::gbk("大战a"), "51"},
                                                 {Gbk("My Mo"), ""}};
    for (const auto& [name, code] : names) {
        EXPECT_EQ(mods.GetCodeByName(name), Gbk(code)) << name.bytes();
    }
    EXPECT_EQ(mods.GetNameByCode(Gbk("41 ")), Gbk("Spaced"));
    EXPECT_EQ(mods.GetNameByCode(Gbk("41")), Gbk());
    const struct {
        const char* taDir;
        const char* scDir;
        std::vector<const char*> files;
        const char* code;
        const char* path;
    } exePaths[] = {
        {"C:\\TA\\", "", {"C:\\TA\\second.exe"}, "40", "C:\\TA\\second.exe"},
        {"C:\\TA\\", "", {"C:\\TA\\first.exe", "C:\\TA\\second.exe"}, "40", "C:\\TA\\first.exe"},
        {"E:\\TA\\", "", {"C:\\TA\\first.exe"}, "40", ""},
        {"C:\\TA\\", "", {"C:\\TA\\first.exe"}, "99", ""},
        {"", "", {"first.exe"}, "40", ""},  // no directory set: nothing is installed
        {"", "D:\\SC\\", {"first.exe"}, "40", "first.exe"},
        {"", "D:\\SC\\", {"D:\\SC\\Supremecommander.exe"}, "SC", "D:\\SC\\Supremecommander.exe"},
        {"C:\\TA\\", "D:\\SC\\", {"C:\\TA\\Supremecommander.exe"}, "SC", ""},
        {"C:\\TA\\", "D:\\SC\\", {"D:\\SC\\first.exe"}, "40", ""},
    };
    for (const auto& c : exePaths) {
        SCOPED_TRACE(std::string(c.taDir) + " " + c.scDir + " " + c.code);
        options.TAdir = Gbk(c.taDir);
        options.SPCdir = Gbk(c.scDir);
        for (const char* file : c.files) {
            files.addFile(Gbk(file));
        }
        EXPECT_EQ(mods.GetModExePath(Gbk(c.code)), Gbk(c.path));
        for (const char* file : c.files) {
            files.removeFile(Gbk(file));
        }
    }
    // The installed list: the installed entries' names in table order, in place of the old.
    options.TAdir = Gbk("C:\\TA\\");
    files.addFile(Gbk("C:\\TA\\a.exe"));
    files.addFile(Gbk("C:\\TA\\second.exe"));
    std::vector<Gbk> list{Gbk("stale")};
    EXPECT_EQ(mods.FillInstalledMods(list), 2);
    EXPECT_EQ(list, (std::vector<Gbk>{Gbk("My Mod"), Gbk("Spaced")}));
}

// Every option differs from the others, so each line shows which one it is written from.
TEST(LaunchFiles, FilesGammaCommandLinesAndReturnNoticeHoldWhatTheGamesRead) {
    protocol::RoomRecord room;  // energy stays 0
    std::int8_t value = 0;
    for (std::int8_t* option : {&room.watch, &room.mapmode, &room.startpos, &room.cheat, &room.los,
                                &room.commander, &room.metal}) {
        *option = ++value;
    }
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
    platform::FakeRegistry registry;
    ASSERT_TRUE(writeGamma(registry));
    auto opened = registry.openKey(platform::RegistryHive::CurrentUser,
                                   "Software\\Cavedog Entertainment\\Total Annihilation");
    ASSERT_TRUE(opened);
    EXPECT_EQ((*opened)->readDword("gamma"), 12U) << "gamma is twelve under the game's key";
    // Supreme Commander hosts on its port, and only the code SC is it.
    EXPECT_EQ(launchCommand(Game::SupremeCommander, Role::Host, Gbk("ab"), Gbk()),
              (LaunchCommand{Gbk("/exitongameover /hostgame udp 5000 ab game of ab"),
                             platform::WindowMode::Normal}));
    for (const char* code : {"sc", "00", "", "SC "}) {
        EXPECT_EQ(gameOfCode(Gbk(code)), Game::TotalAnnihilation) << code;
    }
    EXPECT_EQ(gameOfCode(Gbk("SC")), Game::SupremeCommander);
    // The notice of a player back from battle is cut to 34 bytes.
    EXPECT_EQ(returnNotice(Gbk("ab")), Gbk("ab") + text::zh<"从战斗中返回。">());
    const Gbk longName("abcdefghijklmnopqrstuvw");  // 23 bytes: 11 left, five characters and a half
    EXPECT_EQ(returnNotice(longName), (longName + text::zh<"从战斗中返回。">()).left(34));
    EXPECT_EQ(returnNotice(longName).size(), 34U);
}

}  // namespace
}  // namespace ardentis::game
