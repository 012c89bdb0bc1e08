#include "settings/options_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "protocol/des.h"
#include "tests/settings/recording_info_box.h"
#include "text/code_page.h"

namespace ardentis::settings {
namespace {

using platform::RegistryHive;
using platform::RegistryValueKind;
using text::Gbk;

const Gbk kTaMessage = text::gbk("不能定位你的TA目录，请在选项中设置。");
const Gbk kScMessage = text::gbk("不能定位你的最高指挥官目录，请在选项中设置。");

class OptionsStoreTest : public ::testing::Test {
  protected:
    void stored(std::string_view name, const Gbk& value) {
        registry_.setText(RegistryHive::CurrentUser, kOptionsSection, name, value);
    }
    Toptions load() {
        Toptions options;
        report_ = store_.LoadOptions(options);
        return options;
    }
    std::vector<std::string> writtenNames() const {
        std::vector<std::string> names;
        for (const auto& write : registry_.writes()) {
            names.push_back(write.name);
        }
        return names;
    }

    platform::FakeRegistry registry_;
    platform::FakeFileSystem files_;
    testing::RecordingInfoBox box_;
    OptionsStore store_{registry_, files_, box_};
    OptionsLoadReport report_;
};

using OptionsLoad = OptionsStoreTest;

TEST_F(OptionsLoad, MissingValuesTakeTheDefaults) {
    const Toptions options = load();
    EXPECT_EQ(options.usr, Gbk());
    EXPECT_EQ(options.pwd, Gbk());
    EXPECT_EQ(options.autologin, Gbk("1"));
    EXPECT_EQ(options.host, Gbk("127.0.0.1"));
    EXPECT_EQ(options.port, Gbk("8888"));
    EXPECT_EQ(options.TAdir, Gbk());
    EXPECT_EQ(options.SPCdir, Gbk());
    EXPECT_EQ(options.checkfile, Gbk("0"));
    EXPECT_EQ(options.vnntype, 0);
    EXPECT_FALSE(autoLoginOn(options));
    EXPECT_FALSE(report_.pwdUnreadable);
    EXPECT_FALSE(report_.vnntypeUnreadable);
    EXPECT_FALSE(report_.keyUnavailable.has_value());
}

TEST_F(OptionsLoad, MissingKeyIsCreatedAndNothingElseWritten) {
    ASSERT_FALSE(registry_.hasKey(RegistryHive::CurrentUser, "Software\\Morvane\\Ardentis"));
    load();
    EXPECT_TRUE(registry_.hasKey(RegistryHive::CurrentUser, "Software\\Morvane\\Ardentis"));
    EXPECT_TRUE(registry_.writes().empty());
    // Other programs' keys are only read.
    EXPECT_FALSE(registry_.hasKey(RegistryHive::CurrentUser, "Software\\Yankspankers"));
    EXPECT_FALSE(registry_.hasKey(RegistryHive::LocalMachine, "SOFTWARE\\Microsoft"));
}

TEST_F(OptionsLoad, StoredValuesAreTakenByteForByte) {
    stored("usr", text::gbk("玩家一"));
    stored("pwd", Gbk(protocol::des::EncryptHex("s3cret")));
    stored("autologin", Gbk("0"));
    stored("host", Gbk("lobby.example.org"));
    stored("port", Gbk("9001"));
    stored("TAdir", text::gbk("C:\\游戏\\TA\\"));
    stored("SPCdir", Gbk("D:\\SupCom\\bin\\"));
    stored("checkfile", Gbk("1"));
    stored("vnntype", Gbk("1"));
    const Toptions options = load();
    EXPECT_EQ(options.usr, text::gbk("玩家一"));
    EXPECT_EQ(options.pwd, Gbk("s3cret"));
    EXPECT_EQ(options.autologin, Gbk("0"));
    EXPECT_EQ(options.host, Gbk("lobby.example.org"));
    EXPECT_EQ(options.port, Gbk("9001"));
    EXPECT_EQ(options.TAdir.bytes(), "C:\\\xD3\xCE\xCF\xB7\\TA\\");
    EXPECT_EQ(options.SPCdir, Gbk("D:\\SupCom\\bin\\"));
    EXPECT_EQ(options.checkfile, Gbk("1"));
    EXPECT_EQ(options.vnntype, 1);
}

TEST_F(OptionsLoad, AutologinZeroMeansOnAndOneMeansOff) {
    stored("autologin", Gbk("0"));
    EXPECT_TRUE(autoLoginOn(load()));
    stored("autologin", Gbk("1"));
    EXPECT_FALSE(autoLoginOn(load()));
}

TEST_F(OptionsLoad, EmptyStoredPasswordIsAnEmptyPassword) {
    stored("pwd", Gbk());
    EXPECT_EQ(load().pwd, Gbk());
    EXPECT_FALSE(report_.pwdUnreadable);
}

TEST_F(OptionsLoad, PasswordThatIsNotHexLeavesItEmptyAndLoadingGoesOn) {
    stored("usr", Gbk("someone"));
    stored("pwd", Gbk("12G4"));
    stored("host", Gbk("10.0.0.9"));
    stored("vnntype", Gbk("1"));
    Toptions options;
    options.pwd = Gbk("from before");
    ASSERT_NO_THROW(report_ = store_.LoadOptions(options));
    EXPECT_EQ(options.pwd, Gbk());
    EXPECT_TRUE(report_.pwdUnreadable);
    EXPECT_EQ(options.usr, Gbk("someone"));
    EXPECT_EQ(options.host, Gbk("10.0.0.9"));
    EXPECT_EQ(options.vnntype, 1);
    EXPECT_EQ(box_.shown.size(), 2U);
}

class VnntypeNotANumber : public OptionsStoreTest,
                          public ::testing::WithParamInterface<std::string> {};

TEST_P(VnntypeNotANumber, GivesZeroAndLoadingGoesOn) {
    stored("vnntype", Gbk(GetParam()));
    registry_.setText(RegistryHive::CurrentUser, kRecorderSection, "TAdir", Gbk("C:\\TA\\"));
    Toptions options;
    options.vnntype = 1;
    ASSERT_NO_THROW(report_ = store_.LoadOptions(options));
    EXPECT_EQ(options.vnntype, 0);
    EXPECT_TRUE(report_.vnntypeUnreadable);
    EXPECT_EQ(options.TAdir, Gbk("C:\\TA\\"));
    EXPECT_EQ(box_.shown.size(), 2U);
}

INSTANTIATE_TEST_SUITE_P(OptionsLoad, VnntypeNotANumber,
                         ::testing::Values("abc", "", "1x", "1 ", "99999999999", "--1",
                                           "\xD2\xBB"));

TEST_F(OptionsLoad, VnntypeIsReadAsASignedDecimal) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"0", 0}, {"1", 1}, {"-1", -1}, {"007", 7}, {"2147483647", 2147483647}};
    for (const auto& [text, number] : cases) {
        stored("vnntype", Gbk(text));
        EXPECT_EQ(load().vnntype, number) << text;
        EXPECT_FALSE(report_.vnntypeUnreadable) << text;
    }
}

TEST_F(OptionsLoad, ReloadLeavesTheWorkedOutAddressesAlone) {
    stored("host", Gbk("first"));
    Toptions options;
    options.vnnip = Gbk("5.1.2.3");
    options.hostip = Gbk("10.140.0.7");
    options.host = Gbk("typed");
    store_.LoadOptions(options);
    EXPECT_EQ(options.vnnip, Gbk("5.1.2.3"));
    EXPECT_EQ(options.hostip, Gbk("10.140.0.7"));
    EXPECT_EQ(options.host, Gbk("first"));
}

TEST_F(OptionsLoad, RecorderDirectoryIsTakenWhenOursIsEmpty) {
    registry_.setText(RegistryHive::CurrentUser, kRecorderSection, "TAdir",
                      text::gbk("E:\\全面歼灭\\"));
    EXPECT_EQ(load().TAdir, text::gbk("E:\\全面歼灭\\"));
}

TEST_F(OptionsLoad, OurDirectoryWinsOverTheRecorders) {
    stored("TAdir", Gbk("C:\\Ours\\"));
    registry_.setText(RegistryHive::CurrentUser, kRecorderSection, "TAdir", Gbk("C:\\Theirs\\"));
    EXPECT_EQ(load().TAdir, Gbk("C:\\Ours\\"));
}

TEST_F(OptionsLoad, SupremeCommanderDirectoryComesFromItsUninstallEntry) {
    registry_.setText(RegistryHive::LocalMachine, kSupremeCommanderUninstall, "InstallLocation",
                      Gbk("D:\\THQ\\Supreme Commander"));
    EXPECT_EQ(load().SPCdir, Gbk("D:\\THQ\\Supreme Commander\\bin\\"));
}

TEST_F(OptionsLoad, UninstallEntryIsIgnoredWhenOurDirectoryIsSetOrItIsEmpty) {
    registry_.setText(RegistryHive::LocalMachine, kSupremeCommanderUninstall, "InstallLocation",
                      Gbk());
    EXPECT_EQ(load().SPCdir, Gbk());
    registry_.setText(RegistryHive::LocalMachine, kSupremeCommanderUninstall, "InstallLocation",
                      Gbk("D:\\Other"));
    stored("SPCdir", Gbk("C:\\Mine\\bin\\"));
    EXPECT_EQ(load().SPCdir, Gbk("C:\\Mine\\bin\\"));
}

TEST_F(OptionsLoad, KeyThatCannotBeOpenedGivesTheDefaults) {
    stored("host", Gbk("unreachable"));
    registry_.refuseAccess(true);
    const Toptions options = load();
    EXPECT_EQ(options.host, Gbk("127.0.0.1"));
    ASSERT_TRUE(report_.keyUnavailable.has_value());
    EXPECT_EQ(report_.keyUnavailable->fault, platform::RegistryFault::System);
}

using DirectoryMessages = OptionsStoreTest;

TEST_F(DirectoryMessages, NeitherGameFoundWhileCheckfileIsZeroGivesBothInOrder) {
    load();
    EXPECT_EQ(box_.shown, (std::vector<Gbk>{kTaMessage, kScMessage}));
}

TEST_F(DirectoryMessages, CheckfileOneMeansNoMessage) {
    stored("checkfile", Gbk("1"));
    load();
    EXPECT_TRUE(box_.shown.empty());
}

TEST_F(DirectoryMessages, OnlyCheckfileZeroWarns) {
    stored("checkfile", Gbk("2"));
    load();
    EXPECT_TRUE(box_.shown.empty());
}

TEST_F(DirectoryMessages, GamesFoundGiveNoMessage) {
    stored("TAdir", Gbk("C:\\TA\\"));
    stored("SPCdir", Gbk("C:\\SC\\bin\\"));
    files_.addFile(Gbk("C:\\TA\\totala.exe"));
    files_.addFile(Gbk("C:\\SC\\bin\\supremecommander.exe"));
    load();
    EXPECT_TRUE(box_.shown.empty());
}

TEST_F(DirectoryMessages, DirectoryWithoutItsExecutableIsNotLocated) {
    stored("TAdir", Gbk("C:\\TA\\"));
    stored("SPCdir", Gbk("C:\\SC\\bin\\"));
    files_.addFile(Gbk("C:\\TA\\taense.exe"));
    files_.addFile(Gbk("C:\\SC\\bin\\supremecommander.exe"));
    load();
    EXPECT_EQ(box_.shown, std::vector<Gbk>{kTaMessage});
}

TEST_F(DirectoryMessages, ExecutableNameIsJoinedWithoutASeparator) {
    stored("TAdir", Gbk("C:\\TA"));
    files_.addFile(Gbk("C:\\TA\\totala.exe"));
    files_.addFile(Gbk("C:\\TAtotala.exe"));
    load();
    // "C:\TAtotala.exe" exists, so the directory counts as located.
    EXPECT_EQ(box_.shown, std::vector<Gbk>{kScMessage});
}

TEST_F(DirectoryMessages, DirectoriesFromTheOtherProgramsCountWhenTheirGamesAreThere) {
    registry_.setText(RegistryHive::CurrentUser, kRecorderSection, "TAdir", Gbk("C:\\Cavedog\\"));
    registry_.setText(RegistryHive::LocalMachine, kSupremeCommanderUninstall, "InstallLocation",
                      Gbk("D:\\SupCom"));
    files_.addFile(Gbk("C:\\Cavedog\\totala.exe"));
    files_.addFile(Gbk("D:\\SupCom\\bin\\supremecommander.exe"));
    load();
    EXPECT_TRUE(box_.shown.empty());
}

TEST_F(DirectoryMessages, ComeAgainAtEveryLoad) {
    load();
    load();
    EXPECT_EQ(box_.shown, (std::vector<Gbk>{kTaMessage, kScMessage, kTaMessage, kScMessage}));
}

using OptionsSave = OptionsStoreTest;

Toptions sample() {
    Toptions options;
    options.usr = text::gbk("玩家一");
    options.pwd = Gbk("s3cret");
    options.TAdir = text::gbk("C:\\游戏\\TA\\");
    options.SPCdir = Gbk("D:\\SupCom\\bin\\");
    options.autologin = Gbk("0");
    options.host = Gbk("lobby.example.org");
    options.port = Gbk("9001");
    options.checkfile = Gbk("1");
    options.vnntype = 1;
    return options;
}

TEST_F(OptionsSave, AllNineValuesGoInTheirOrderAsTexts) {
    ASSERT_TRUE(store_.saveOptions(sample()).has_value());
    EXPECT_EQ(writtenNames(),
              (std::vector<std::string>{"usr", "pwd", "autologin", "TAdir", "SPCdir", "host",
                                        "port", "checkfile", "vnntype"}));
    for (const auto& write : registry_.writes()) {
        EXPECT_EQ(write.hive, RegistryHive::CurrentUser) << write.name;
        EXPECT_EQ(write.path, kOptionsSection) << write.name;
        EXPECT_EQ(write.kind, RegistryValueKind::Text) << write.name;
    }
    const auto value = [&](std::string_view name) {
        return registry_.text(RegistryHive::CurrentUser, kOptionsSection, name).value_or(Gbk("?"));
    };
    EXPECT_EQ(value("vnntype"), Gbk("1"));
    EXPECT_EQ(value("port"), Gbk("9001"));
    EXPECT_EQ(value("autologin"), Gbk("0"));
    EXPECT_EQ(value("checkfile"), Gbk("1"));
    EXPECT_EQ(value("TAdir"), text::gbk("C:\\游戏\\TA\\"));
}

TEST_F(OptionsSave, PasswordIsStoredInTheCiphersHexForm) {
    ASSERT_TRUE(store_.saveOptions(sample()).has_value());
    const Gbk storedPwd =
        registry_.text(RegistryHive::CurrentUser, kOptionsSection, "pwd").value_or(Gbk());
    EXPECT_EQ(storedPwd.bytes(), protocol::des::EncryptHex("s3cret"));
    EXPECT_EQ(protocol::des::DecryptHex(storedPwd.view()), "s3cret");
}

TEST_F(OptionsSave, EmptyPasswordIsStoredAsAnEmptyValue) {
    Toptions options = sample();
    options.pwd = Gbk();
    ASSERT_TRUE(store_.saveOptions(options).has_value());
    EXPECT_EQ(registry_.text(RegistryHive::CurrentUser, kOptionsSection, "pwd"), Gbk());
}

TEST_F(OptionsSave, SavedRecordLoadsBackTheSame) {
    const Toptions saved = sample();
    ASSERT_TRUE(store_.saveOptions(saved).has_value());
    const Toptions loaded = load();
    EXPECT_EQ(loaded.usr, saved.usr);
    EXPECT_EQ(loaded.pwd, saved.pwd);
    EXPECT_EQ(loaded.TAdir, saved.TAdir);
    EXPECT_EQ(loaded.SPCdir, saved.SPCdir);
    EXPECT_EQ(loaded.autologin, saved.autologin);
    EXPECT_EQ(loaded.host, saved.host);
    EXPECT_EQ(loaded.port, saved.port);
    EXPECT_EQ(loaded.checkfile, saved.checkfile);
    EXPECT_EQ(loaded.vnntype, saved.vnntype);
}

TEST_F(OptionsSave, LogInWritesUsrThenPwdAndNothingElse) {
    stored("host", Gbk("kept"));
    ASSERT_TRUE(store_.saveLogin(text::gbk("玩家二"), Gbk("pw")).has_value());
    EXPECT_EQ(writtenNames(), (std::vector<std::string>{"usr", "pwd"}));
    EXPECT_EQ(registry_.text(RegistryHive::CurrentUser, kOptionsSection, "usr"),
              text::gbk("玩家二"));
    EXPECT_EQ(registry_.text(RegistryHive::CurrentUser, kOptionsSection, "pwd"),
              Gbk(protocol::des::EncryptHex("pw")));
    EXPECT_EQ(registry_.text(RegistryHive::CurrentUser, kOptionsSection, "host"), Gbk("kept"));
}

TEST_F(OptionsSave, RefusedKeyIsReported) {
    registry_.refuseAccess(true);
    EXPECT_FALSE(store_.saveOptions(sample()).has_value());
    EXPECT_FALSE(store_.saveLogin(Gbk("a"), Gbk("b")).has_value());
    EXPECT_TRUE(registry_.writes().empty());
}

}  // namespace
}  // namespace ardentis::settings
