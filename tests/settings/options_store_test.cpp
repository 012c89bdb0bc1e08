#include "settings/options_store.h"

#include <string>
#include <vector>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "protocol/des.h"
#include "tests/settings/options_store_world.h"
#include "text/code_page.h"

namespace ardentis::testing {
namespace {

using platform::RegistryHive;
using settings::kOptionsSection;
using settings::kRecorderSection;
using settings::kSupremeCommanderUninstall;
using settings::Toptions;
using text::Gbk;

const Gbk kTaMessage = text::gbk("不能定位你的TA目录，请在选项中设置。");
const Gbk kScMessage = text::gbk("不能定位你的最高指挥官目录，请在选项中设置。");

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

TEST_P(OptionsStoreTest, MissingKeyIsCreatedAndMissingValuesTakeTheDefaults) {
    Toptions options;
    options.vnnip = Gbk("5.1.2.3");  // worked out elsewhere, never loaded
    report_ = store_->LoadOptions(options);
    EXPECT_TRUE(
        world().registry().openKey(RegistryHive::CurrentUser, settings::kOptionsKey).has_value());
    EXPECT_EQ(options.vnnip, Gbk("5.1.2.3"));
    EXPECT_EQ(options.usr, Gbk());
    EXPECT_EQ(options.pwd, Gbk());
    EXPECT_EQ(options.autologin, Gbk("1"));
    EXPECT_FALSE(settings::autoLoginOn(options));
    EXPECT_EQ(options.host, Gbk("127.0.0.1"));
    EXPECT_EQ(options.port, Gbk("8888"));
    EXPECT_EQ(options.TAdir, Gbk());
    EXPECT_EQ(options.SPCdir, Gbk());
    EXPECT_EQ(options.checkfile, Gbk("0"));
    EXPECT_EQ(options.vnntype, 0);
    EXPECT_FALSE(report_.pwdUnreadable || report_.vnntypeUnreadable);
    EXPECT_FALSE(report_.keyUnavailable.has_value());
    EXPECT_EQ(box_.shown, (std::vector<Gbk>{kTaMessage, kScMessage}));
}

TEST_P(OptionsStoreTest, SavedOptionsLoadBackByteForByteWithThePasswordInHex) {
    ASSERT_TRUE(store_->saveOptions(sample()).has_value());
    EXPECT_EQ(storedText("pwd"), Gbk(protocol::des::EncryptHex("s3cret")));
    EXPECT_EQ(storedText("vnntype"), Gbk("1"));
    const Toptions loaded = load();
    const Toptions saved = sample();
    EXPECT_EQ(loaded.usr.bytes(), saved.usr.bytes());
    EXPECT_EQ(loaded.pwd, saved.pwd);
    EXPECT_EQ(loaded.TAdir.bytes(), "C:\\\xD3\xCE\xCF\xB7\\TA\\");
    EXPECT_EQ(loaded.SPCdir, saved.SPCdir);
    EXPECT_EQ(loaded.autologin, saved.autologin);
    EXPECT_TRUE(settings::autoLoginOn(loaded));  // "0" means on
    EXPECT_EQ(loaded.host, saved.host);
    EXPECT_EQ(loaded.port, saved.port);
    EXPECT_EQ(loaded.checkfile, saved.checkfile);
    EXPECT_EQ(loaded.vnntype, saved.vnntype);
    EXPECT_TRUE(box_.shown.empty());  // checkfile "1": no directory messages
}

TEST_P(OptionsStoreTest, EmptyPasswordIsStoredAndLoadedEmpty) {
    Toptions options = sample();
    options.pwd = Gbk();
    ASSERT_TRUE(store_->saveOptions(options).has_value());
    EXPECT_EQ(storedText("pwd"), Gbk());
    EXPECT_EQ(load().pwd, Gbk());
    EXPECT_FALSE(report_.pwdUnreadable);
}

TEST_P(OptionsStoreTest, LogInSavesUsrAndPwdOnly) {
    stored("host", Gbk("kept"));
    ASSERT_TRUE(store_->saveLogin(text::gbk("玩家二"), Gbk("pw")).has_value());
    EXPECT_EQ(storedText("usr"), text::gbk("玩家二"));
    EXPECT_EQ(storedText("pwd"), Gbk(protocol::des::EncryptHex("pw")));
    EXPECT_EQ(storedText("host"), Gbk("kept"));
    EXPECT_EQ(storedText("port"), Gbk("<missing>"));
}

// A damaged value is reported and left at its default; the rest of the load goes on.
TEST_P(OptionsStoreTest, DamagedPwdOrVnntypeLeavesTheDefaultAndLoadingGoesOn) {
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
        ASSERT_NO_THROW(report_ = store_->LoadOptions(options));
        EXPECT_EQ(report_.pwdUnreadable, damaged.pwdUnreadable);
        EXPECT_EQ(report_.vnntypeUnreadable, damaged.vnntypeUnreadable);
        EXPECT_EQ(options.pwd, damaged.pwdUnreadable ? Gbk() : Gbk("pw"));
        EXPECT_EQ(options.vnntype, damaged.vnntype);
        EXPECT_EQ(options.usr, Gbk("someone"));
        EXPECT_EQ(box_.shown.size(), 2U);
    }
}

// Where each game directory comes from, and which of them the user is told were not found.
TEST_P(OptionsStoreTest, GameDirectoriesComeFromUsTheRecorderOrTheUninstallEntry) {
    const Gbk ours = world().directory("ours");
    const Gbk recorder = world().directory("recorder");
    const Gbk supcom = world().directory("supcom");
    world().addFile(recorder + Gbk("totala.exe"));
    world().addFile(supcom + Gbk("bin\\supremecommander.exe"));
    // The recorder's directory and the uninstall entry (stored without the last separator).
    put(RegistryHive::CurrentUser, kRecorderSection, "TAdir", recorder);
    put(RegistryHive::LocalMachine, kSupremeCommanderUninstall, "InstallLocation",
        Gbk(supcom.view().substr(0, supcom.size() - 1)));
    Toptions options = load();
    EXPECT_EQ(options.TAdir, recorder);
    EXPECT_EQ(options.SPCdir, supcom + Gbk("bin\\"));
    EXPECT_TRUE(box_.shown.empty());
    // Ours win over both; neither holds its game, so both messages come, in order, again.
    stored("TAdir", ours);
    stored("SPCdir", ours);
    options = load();
    EXPECT_EQ(options.TAdir, ours);
    EXPECT_EQ(options.SPCdir, ours);
    EXPECT_EQ(box_.shown, (std::vector<Gbk>{kTaMessage, kScMessage}));
}

TEST_P(OptionsStoreTest, OnlyCheckfileZeroWarnsAndTheExecutableNameIsJoinedWithoutASeparator) {
    const Gbk ta = world().directory("TA");
    world().addFile(ta + Gbk("taense.exe"));
    stored("TAdir", ta);
    stored("checkfile", Gbk("2"));
    load();
    EXPECT_TRUE(box_.shown.empty());
    stored("checkfile", Gbk("0"));
    load();
    EXPECT_EQ(box_.shown, (std::vector<Gbk>{kTaMessage, kScMessage}));
    box_.shown.clear();
    // "...\TA" + "totala.exe" names a file beside the directory, not in it.
    const Gbk bare(ta.view().substr(0, ta.size() - 1));
    world().addFile(bare + Gbk("totala.exe"));
    stored("TAdir", bare);
    load();
    EXPECT_EQ(box_.shown, std::vector<Gbk>{kScMessage});
}

// The fakes' world, and what only the fake registry can show: the order of the writes and
// a key that cannot be opened.
class FakeStoreWorld final : public StoreWorld {
  public:
    platform::Registry& registry() override { return registry_; }
    platform::FileSystem& files() override { return files_; }
    Gbk directory(std::string_view name) override { return Gbk("C:\\") + Gbk(name) + Gbk("\\"); }
    void addFile(const Gbk& path) override { files_.addFile(path); }

    platform::FakeRegistry registry_;
    platform::FakeFileSystem files_;
};

INSTANTIATE_TEST_SUITE_P(Fake, OptionsStoreTest,
                         ::testing::Values(&makeWorld<FakeStoreWorld, StoreWorld>), WorldName());

TEST(OptionsStoreWrites, SaveWritesAllNineTextsInOrderAndLoadWritesNothing) {
    FakeStoreWorld world;
    forms::MemoryInfoBox box;
    settings::OptionsStore store(world.registry_, world.files_, box);
    Toptions options;
    store.LoadOptions(options);
    EXPECT_TRUE(world.registry_.writes().empty());
    ASSERT_TRUE(store.saveOptions(sample()).has_value());
    ASSERT_TRUE(store.saveLogin(Gbk("a"), Gbk("b")).has_value());
    std::vector<std::string> names;
    for (const auto& write : world.registry_.writes()) {
        names.push_back(write.name);
        EXPECT_EQ(write.kind, platform::RegistryValueKind::Text) << write.name;
        EXPECT_EQ(write.path, kOptionsSection) << write.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"usr", "pwd", "autologin", "TAdir", "SPCdir", "host",
                                               "port", "checkfile", "vnntype", "usr", "pwd"}));
}

TEST(OptionsStoreWrites, KeyThatCannotBeOpenedGivesTheDefaultsAndRefusesSaving) {
    FakeStoreWorld world;
    forms::MemoryInfoBox box;
    settings::OptionsStore store(world.registry_, world.files_, box);
    world.registry_.setText(RegistryHive::CurrentUser, kOptionsSection, "host", Gbk("x"));
    world.registry_.refuseAccess(true);
    Toptions options;
    const auto report = store.LoadOptions(options);
    EXPECT_EQ(options.host, Gbk("127.0.0.1"));
    ASSERT_TRUE(report.keyUnavailable.has_value());
    EXPECT_EQ(report.keyUnavailable->fault, platform::RegistryFault::System);
    EXPECT_FALSE(store.saveOptions(sample()).has_value());
    EXPECT_FALSE(store.saveLogin(Gbk("a"), Gbk("b")).has_value());
    EXPECT_TRUE(world.registry_.writes().empty());
}

}  // namespace
}  // namespace ardentis::testing
