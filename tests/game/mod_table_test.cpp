#include "game/mod_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_file_system.h"
#include "text/code_page.h"

namespace ardentis::game {
namespace {

using text::Gbk;

std::vector<Gbk> gbks(std::initializer_list<const char*> texts) {
    std::vector<Gbk> result;
    for (const char* t : texts) {
        result.emplace_back(t);
    }
    return result;
}

class ModTable : public ::testing::Test {
  protected:
    ModTable() { files_.setExecutableDirectory(Gbk("C:\\Ardentis\\")); }
    void modsFile(std::string content) {
        files_.addFile(Gbk("C:\\Ardentis\\mods.txt"), std::move(content));
    }
    [[nodiscard]] TModList table() const { return TModList(options_, files_); }

    settings::Toptions options_;
    platform::FakeFileSystem files_;
};

using ModLookups = ModTable;

TEST_F(ModLookups, IndexOfCodeComparesExactBytes) {
    const TModList mods = table();
    EXPECT_EQ(mods.IndexOfCode(Gbk("00")), 0);
    EXPECT_EQ(mods.IndexOfCode(Gbk("04")), 14);
    EXPECT_EQ(mods.IndexOfCode(Gbk("SC")), 27);
    EXPECT_EQ(mods.IndexOfCode(Gbk("sc")), -1);
    EXPECT_EQ(mods.IndexOfCode(Gbk("0")), -1);
    EXPECT_EQ(mods.IndexOfCode(Gbk("00 ")), -1);
    EXPECT_EQ(mods.IndexOfCode(Gbk()), -1);
}

TEST_F(ModLookups, CodeByNameIgnoresTheCaseOfLatinLetters) {
    const TModList mods = table();
    EXPECT_EQ(mods.GetCodeByName(Gbk("supremecommander")), Gbk("SC"));
    EXPECT_EQ(mods.GetCodeByName(Gbk("ta32ise&ta32i")), Gbk("01"));
    EXPECT_EQ(mods.GetCodeByName(Gbk("OTA3.1")), Gbk("00"));
    EXPECT_EQ(mods.GetCodeByName(Gbk("No Such Mod")), Gbk());
    EXPECT_EQ(mods.GetCodeByName(Gbk("OTA3.")), Gbk());
}

TEST_F(ModLookups, CodeByNameTakesTheLastMatch) {
    modsFile("40:ota3.1;other.exe\n");
    EXPECT_EQ(table().GetCodeByName(Gbk("Ota3.1")), Gbk("40"));
}

TEST_F(ModLookups, CodeByNameFoldsNoOtherBytes) {
    // Two different GBK characters whose lead bytes differ by 0x20, as A and a do.
    modsFile(std::string("50:\xC1\xA1;x.exe\n51:") + text::gbk("大战A").bytes() + ";y.exe\n");
    const TModList mods = table();
    EXPECT_EQ(mods.GetCodeByName(Gbk("\xE1\xA1")), Gbk());
    EXPECT_EQ(mods.GetCodeByName(Gbk("\xC1\xA1")), Gbk("50"));
    EXPECT_EQ(mods.GetCodeByName(text::gbk("大战a")), Gbk("51"));
}

using InstalledMods = ModTable;

TEST_F(InstalledMods, FirstCandidateMissingTakesTheNext) {
    options_.TAdir = Gbk("C:\\TA\\");
    files_.addFile(Gbk("C:\\TA\\taense.exe"));
    EXPECT_EQ(table().GetModExePath(Gbk("01")), Gbk("C:\\TA\\taense.exe"));
    files_.addFile(Gbk("C:\\TA\\tacnse.exe"));
    EXPECT_EQ(table().GetModExePath(Gbk("01")), Gbk("C:\\TA\\tacnse.exe"));
}

TEST_F(InstalledMods, BothDirectoriesEmptyMeansNothingInstalled) {
    files_.addFile(Gbk("totala.exe"));
    files_.addFile(Gbk("Supremecommander.exe"));
    const TModList mods = table();
    EXPECT_EQ(mods.GetModExePath(Gbk("00")), Gbk());
    EXPECT_EQ(mods.GetModExePath(Gbk("SC")), Gbk());
    std::vector<Gbk> list = gbks({"left over"});
    EXPECT_EQ(mods.FillInstalledMods(list), 0);
    EXPECT_TRUE(list.empty());
}

TEST_F(InstalledMods, EmptyTaDirectoryWithSupremeCommanderSetTriesBareNames) {
    options_.SPCdir = Gbk("D:\\SC\\bin\\");
    files_.addFile(Gbk("taense.exe"));
    files_.addFile(Gbk("D:\\SC\\bin\\Supremecommander.exe"));
    const TModList mods = table();
    EXPECT_EQ(mods.GetModExePath(Gbk("01")), Gbk("taense.exe"));
    EXPECT_EQ(mods.GetModExePath(Gbk("00")), Gbk());
    EXPECT_EQ(mods.GetModExePath(Gbk("SC")), Gbk("D:\\SC\\bin\\Supremecommander.exe"));
}

TEST_F(InstalledMods, SupremeCommanderLivesOnlyInItsOwnDirectory) {
    options_.TAdir = Gbk("C:\\TA\\");
    options_.SPCdir = Gbk("D:\\SC\\bin\\");
    files_.addFile(Gbk("C:\\TA\\Supremecommander.exe"));
    files_.addFile(Gbk("D:\\SC\\bin\\totala.exe"));
    const TModList mods = table();
    EXPECT_EQ(mods.GetModExePath(Gbk("SC")), Gbk());
    EXPECT_EQ(mods.GetModExePath(Gbk("00")), Gbk());
}

TEST_F(InstalledMods, AnswersFollowTheSettingsAtEveryCall) {
    const TModList mods = table();
    files_.addFile(Gbk("C:\\TA\\totala.exe"));
    files_.addFile(Gbk("E:\\Games\\TA\\totala.exe"));
    EXPECT_EQ(mods.GetModExePath(Gbk("00")), Gbk());
    options_.TAdir = Gbk("C:\\TA\\");
    EXPECT_EQ(mods.GetModExePath(Gbk("00")), Gbk("C:\\TA\\totala.exe"));
    options_.TAdir = Gbk("E:\\Games\\TA\\");
    EXPECT_EQ(mods.GetModExePath(Gbk("00")), Gbk("E:\\Games\\TA\\totala.exe"));
    files_.removeFile(Gbk("E:\\Games\\TA\\totala.exe"));
    EXPECT_EQ(mods.GetModExePath(Gbk("00")), Gbk());
}

TEST_F(InstalledMods, FillListsInstalledNamesInTableOrder) {
    options_.TAdir = Gbk("C:\\TA\\");
    options_.SPCdir = Gbk("D:\\SC\\bin\\");
    files_.addFile(Gbk("C:\\TA\\was.exe"));
    files_.addFile(Gbk("C:\\TA\\totala.exe"));
    files_.addFile(Gbk("C:\\TA\\UTA.EXE"));
    files_.addFile(Gbk("D:\\SC\\bin\\Supremecommander.exe"));
    std::vector<Gbk> list = gbks({"stale", "entries"});
    EXPECT_EQ(table().FillInstalledMods(list), 4);
    EXPECT_EQ(list, gbks({"OTA3.1", "ULTIMATE TA 0.4", "War At Sea", "SupremeCommander"}));
}

TEST(SplitText, CutsAtEverySeparatorKeepingEmptyPieces) {
    const std::pair<const char*, std::vector<Gbk>> cases[] = {
        {"a.exe,b.exe", gbks({"a.exe", "b.exe"})},
        {"a.exe,", gbks({"a.exe", ""})},
        {",a.exe", gbks({"", "a.exe"})},
        {",,", gbks({"", "", ""})},
        {"a.exe", gbks({"a.exe"})},
        {"", gbks({""})},
    };
    for (const auto& [text, pieces] : cases) {
        std::vector<Gbk> list;
        TModList::SplitText(Gbk(text), ',', list);
        EXPECT_EQ(list, pieces) << '"' << text << '"';
    }
}

using ModsFile = ModTable;

TEST_F(ModsFile, NewCodeIsAddedAfterTheBuiltIns) {
    modsFile("40:My Mod;mymod.exe\r\n");
    const TModList mods = table();
    ASSERT_EQ(mods.items().size(), 29U);
    EXPECT_EQ(mods.IndexOfCode(Gbk("40")), 28);
    EXPECT_EQ(mods.GetNameByCode(Gbk("40")), Gbk("My Mod"));
    EXPECT_EQ(mods.ModAt(28)->exes, gbks({"mymod.exe"}));
    options_.TAdir = Gbk("C:\\TA\\");
    files_.addFile(Gbk("C:\\TA\\mymod.exe"));
    EXPECT_EQ(mods.GetModExePath(Gbk("40")), Gbk("C:\\TA\\mymod.exe"));
}

TEST_F(ModsFile, RepeatedCodeChangesNothingButIsMarked) {
    modsFile("00:Another Name;another.exe\n");
    const TModList mods = table();
    ASSERT_EQ(mods.items().size(), 28U);
    EXPECT_EQ(mods.ModAt(0)->name, Gbk("OTA3.1"));
    EXPECT_EQ(mods.ModAt(0)->exes, gbks({"totala.exe"}));
    EXPECT_TRUE(mods.ModAt(0)->infile);
    EXPECT_FALSE(mods.ModAt(1)->infile);
    ASSERT_EQ(mods.fileitems().size(), 1U);
    EXPECT_EQ(mods.fileitems()[0].name, Gbk("Another Name"));
}

TEST_F(ModsFile, FirstDefinitionInTheFileWins) {
    modsFile("42:First;first.exe\n42:Second;second.exe\n");
    const TModList mods = table();
    ASSERT_EQ(mods.items().size(), 29U);
    EXPECT_EQ(mods.GetNameByCode(Gbk("42")), Gbk("First"));
    EXPECT_TRUE(mods.ModAt(28)->infile);
}

TEST_F(ModsFile, CodeKeepsItsTrailingSpace) {
    modsFile("41 :Spaced;spaced.exe\n");
    const TModList mods = table();
    EXPECT_EQ(mods.IndexOfCode(Gbk("41 ")), 28);
    EXPECT_EQ(mods.IndexOfCode(Gbk("41")), -1);
}

TEST_F(ModsFile, BlankCommentAndMalformedLinesAddNothing) {
    modsFile("\r\n\n# 40:Commented;c.exe\nno separators\nonly:colon\nonly;semicolon\n\r\n");
    const TModList mods = table();
    EXPECT_EQ(mods.items().size(), 28U);
    EXPECT_TRUE(mods.fileitems().empty());
}

TEST_F(ModsFile, LinesEndAtCrLfOrCrLf) {
    modsFile("43:A;a.exe\r44:B;b.exe\n45:C;c.exe\r\n46:D;d.exe");
    const TModList mods = table();
    ASSERT_EQ(mods.items().size(), 32U);
    EXPECT_EQ(mods.ModAt(28)->code, Gbk("43"));
    EXPECT_EQ(mods.ModAt(29)->code, Gbk("44"));
    EXPECT_EQ(mods.ModAt(30)->code, Gbk("45"));
    EXPECT_EQ(mods.ModAt(31)->code, Gbk("46"));
    EXPECT_EQ(mods.ModAt(31)->exes, gbks({"d.exe"}));
}

}  // namespace
}  // namespace ardentis::game
