#include "settings/options_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/memory/memory_dialogs.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "protocol/des.h"
#include "text/code_page.h"

namespace ardentis::settings {
namespace {

using platform::RegistryHive;
using text::Gbk;

const Gbk kTaMessage = text::gbk("不能定位你的TA目录，请在选项中设置。");
const Gbk kScMessage = text::gbk("不能定位你的最高指挥官目录，请在选项中设置。");

// The stored values of a record, in the order they are written.
std::vector<Gbk> storedFields(const Toptions& o) {
    const Gbk vnntype(std::to_string(o.vnntype));
    return {o.usr, o.pwd, o.autologin, o.TAdir, o.SPCdir, o.host, o.port, o.checkfile, vnntype};
}

class OptionsStoreTest : public ::testing::Test {
  protected:
    void put(RegistryHive hive, std::string_view path, std::string_view name, const Gbk& value) {
        registry_.setText(hive, path, name, value);
    }
    void stored(std::string_view name, const Gbk& value) {
        put(RegistryHive::CurrentUser, kOptionsSection, name, value);
    }
    [[nodiscard]] Gbk storedText(std::string_view name) const {
        return registry_.text(RegistryHive::CurrentUser, kOptionsSection, name)
            .value_or(Gbk("<missing>"));
    }
    Toptions load() {
        Toptions options;
        report_ = store_.LoadOptions(options);
        return options;
    }

    platform::FakeRegistry registry_;
    platform::FakeFileSystem files_;
    forms::MemoryInfoBox box_;
    OptionsStore store_{registry_, files_, box_};
    OptionsLoadReport report_;
};

TEST_F(OptionsStoreTest, FirstLoadCreatesTheKeyWritesNothingAndGivesTheDefaults) {
    Toptions options;
    options.vnnip = Gbk("5.1.2.3");  // worked out elsewhere, never loaded
    report_ = store_.LoadOptions(options);
    EXPECT_TRUE(registry_.openKey(RegistryHive::CurrentUser, kOptionsKey).has_value());
    EXPECT_TRUE(registry_.writes().empty());
    EXPECT_EQ(options.vnnip, Gbk("5.1.2.3"));
    EXPECT_EQ(storedFields(options),
              (std::vector<Gbk>{Gbk(), Gbk(), Gbk("1"), Gbk(), Gbk(), Gbk("127.0.0.1"), Gbk("8888"),
                                Gbk("0"), Gbk("0")}));
    EXPECT_FALSE(autoLoginOn(options));
    EXPECT_FALSE(report_.pwdUnreadable || report_.vnntypeUnreadable);
    EXPECT_FALSE(report_.keyUnavailable.has_value());
    EXPECT_EQ(box_.shown, (std::vector<Gbk>{kTaMessage, kScMessage}));
}

TEST_F(OptionsStoreTest, SaveWritesTheNineTextsInOrderAndTheyLoadBackByteForByte) {
    Toptions saved;
    saved.usr = text::gbk("玩家一");
    saved.pwd = Gbk("s3cret");
    saved.TAdir = text::gbk("C:\\游戏\\TA\\");
    saved.SPCdir = Gbk("D:\\SupCom\\bin\\");
    saved.autologin = Gbk("0");  // "0" means on
    saved.host = Gbk("lobby.example.org");
    saved.port = Gbk("9001");
    saved.checkfile = Gbk("1");
    saved.vnntype = 1;
    ASSERT_TRUE(store_.saveOptions(saved).has_value());
    const char* const names[] = {"usr",  "pwd",  "autologin", "TAdir",  "SPCdir",
                                 "host", "port", "checkfile", "vnntype"};
    std::vector<Gbk> expected = storedFields(saved);
    expected[1] = Gbk(protocol::des::EncryptHex("s3cret"));
    ASSERT_EQ(registry_.writes().size(), 9U);
    for (std::size_t i = 0; i < 9; ++i) {
        const auto& write = registry_.writes()[i];
        EXPECT_EQ(write.name, names[i]);
        EXPECT_EQ(write.kind, platform::RegistryValueKind::Text) << write.name;
        EXPECT_EQ(write.path, kOptionsSection) << write.name;
        EXPECT_EQ(storedText(names[i]), expected[i]) << names[i];
    }
    const Toptions loaded = load();
    EXPECT_EQ(storedFields(loaded), storedFields(saved));
    EXPECT_EQ(loaded.TAdir.bytes(), "C:\\\xD3\xCE\xCF\xB7\\TA\\");
    EXPECT_TRUE(autoLoginOn(loaded));
    EXPECT_TRUE(box_.shown.empty());  // checkfile "1": no directory messages
}

TEST_F(OptionsStoreTest, LogInSavesUsrAndPwdOnlyAndAnEmptyPasswordStaysEmpty) {
    stored("host", Gbk("kept"));
    ASSERT_TRUE(store_.saveLogin(text::gbk("玩家二"), Gbk("pw")).has_value());
    EXPECT_EQ(storedText("usr"), text::gbk("玩家二"));
    EXPECT_EQ(storedText("pwd"), Gbk(protocol::des::EncryptHex("pw")));
    EXPECT_EQ(storedText("host"), Gbk("kept"));
    EXPECT_EQ(storedText("port"), Gbk("<missing>"));
    ASSERT_TRUE(store_.saveLogin(Gbk("a"), Gbk()).has_value());
    EXPECT_EQ(storedText("pwd"), Gbk());
    EXPECT_EQ(load().pwd, Gbk());
    EXPECT_FALSE(report_.pwdUnreadable);
}

// A damaged value is reported and left at its default; the rest of the load goes on.
TEST_F(OptionsStoreTest, DamagedPwdOrVnntypeLeavesTheDefaultAndLoadingGoesOn) {
    struct Case {
        const char* name;
        const char* value;
        bool pwdUnreadable;
        bool vnntypeUnreadable;
        std::int32_t vnntype;
    };
    const Case cases[] = {
        {"pwd", "12G4", true, false, 1},
        {"pwd", "not hex!", true, false, 1},
        {"vnntype", "abc", false, true, 0},
        {"vnntype", "", false, true, 0},
        {"vnntype", "1x", false, true, 0},
        {"vnntype", "1 ", false, true, 0},
        {"vnntype", "99999999999", false, true, 0},
        {"vnntype", "--1", false, true, 0},
        {"vnntype", "\xD2\xBB", false, true, 0},
        {"vnntype", "-1", false, false, -1},
        {"vnntype", "007", false, false, 7},
        {"vnntype", "2147483647", false, false, 2147483647},
    };
    for (const Case& damaged : cases) {
        SCOPED_TRACE(std::string(damaged.name) + "=" + damaged.value);
        stored("usr", Gbk("someone"));
        stored("pwd", Gbk(protocol::des::EncryptHex("pw")));
        stored("vnntype", Gbk("1"));
        stored(damaged.name, Gbk(damaged.value));
        Toptions options;
        options.pwd = Gbk("from before");
        box_.shown.clear();
        ASSERT_NO_THROW(report_ = store_.LoadOptions(options));
        EXPECT_EQ(report_.pwdUnreadable, damaged.pwdUnreadable);
        EXPECT_EQ(report_.vnntypeUnreadable, damaged.vnntypeUnreadable);
        EXPECT_EQ(options.pwd, damaged.pwdUnreadable ? Gbk() : Gbk("pw"));
        EXPECT_EQ(options.vnntype, damaged.vnntype);
        EXPECT_EQ(options.usr, Gbk("someone"));
        EXPECT_EQ(box_.shown.size(), 2U);
    }
}

// Where each game directory comes from, and which of them the user is told were not found
// (only with checkfile "0").
TEST_F(OptionsStoreTest, GameDirectoriesComeFromUsTheRecorderOrTheUninstallEntry) {
    files_.addFile(Gbk("C:\\recorder\\totala.exe"));
    files_.addFile(Gbk("C:\\supcom\\bin\\supremecommander.exe"));
    // The uninstall entry holds its directory without the last separator.
    put(RegistryHive::CurrentUser, kRecorderSection, "TAdir", Gbk("C:\\recorder\\"));
    put(RegistryHive::LocalMachine, kSupremeCommanderUninstall, "InstallLocation",
        Gbk("C:\\supcom"));
    Toptions options = load();
    EXPECT_EQ(options.TAdir, Gbk("C:\\recorder\\"));
    EXPECT_EQ(options.SPCdir, Gbk("C:\\supcom\\bin\\"));
    EXPECT_TRUE(box_.shown.empty());
    // Ours win over both; neither holds its game, so both messages come, in order.
    stored("TAdir", Gbk("C:\\ours\\"));
    stored("SPCdir", Gbk("C:\\ours\\"));
    options = load();
    EXPECT_EQ(options.TAdir, Gbk("C:\\ours\\"));
    EXPECT_EQ(options.SPCdir, Gbk("C:\\ours\\"));
    EXPECT_EQ(box_.shown, (std::vector<Gbk>{kTaMessage, kScMessage}));
    stored("checkfile", Gbk("2"));
    box_.shown.clear();
    load();
    EXPECT_TRUE(box_.shown.empty());
    // "...\ours" + "totala.exe" names a file beside the directory, not in it.
    files_.addFile(Gbk("C:\\ourstotala.exe"));
    stored("TAdir", Gbk("C:\\ours"));
    stored("checkfile", Gbk("0"));
    load();
    EXPECT_EQ(box_.shown, std::vector<Gbk>{kScMessage});
}

TEST_F(OptionsStoreTest, KeyThatCannotBeOpenedGivesTheDefaultsAndRefusesSaving) {
    stored("host", Gbk("x"));
    registry_.refuseAccess(true);
    EXPECT_EQ(load().host, Gbk("127.0.0.1"));
    ASSERT_TRUE(report_.keyUnavailable.has_value());
    EXPECT_EQ(report_.keyUnavailable->fault, platform::RegistryFault::System);
    EXPECT_FALSE(store_.saveOptions(Toptions{}).has_value());
    EXPECT_FALSE(store_.saveLogin(Gbk("a"), Gbk("b")).has_value());
    EXPECT_TRUE(registry_.writes().empty());
}

}  // namespace
}  // namespace ardentis::settings
