#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "platform/win32/win32_registry.h"
#include "protocol/des.h"
#include "settings/options_store.h"
#include "tests/platform/scratch_directory.h"
#include "tests/settings/recording_info_box.h"
#include "tests/win32/raw_registry.h"
#include "text/code_page.h"

namespace ardentis::settings {
namespace {

using testing::RawHive;
using text::Gbk;

const std::wstring kOurs = L"Software\\Morvane\\Ardentis";
const std::wstring kOurOptions = L"Software\\Morvane\\Ardentis\\options";
const std::wstring kRecorder = L"Software\\Yankspankers\\TA Demo";
const std::wstring kRecorderOptions = L"Software\\Yankspankers\\TA Demo\\options";
const std::wstring kUninstall =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    L"{25A1E6A4-2DBD-4AC0-8650-8EA9A45B183D}";

// The real registry of this build tree's Wine prefix, and real files.
class RealRegistryOptions : public ::testing::Test {
  protected:
    void SetUp() override { cleanUp(); }
    void TearDown() override { cleanUp(); }
    static void cleanUp() {
        testing::deleteRawTree(RawHive::CurrentUser, kOurs);
        testing::deleteRawTree(RawHive::CurrentUser, kRecorder);
        testing::deleteRawTree(RawHive::LocalMachine, kUninstall);
    }
    Toptions load() {
        Toptions options;
        report_ = store_.LoadOptions(options);
        return options;
    }
    static std::wstring raw(const std::wstring& name) {
        const auto value = testing::readRawValue(RawHive::CurrentUser, kOurOptions, name);
        EXPECT_TRUE(value.has_value()) << "no value";
        if (!value) {
            return L"<missing>";
        }
        EXPECT_EQ(value->type, testing::kRawRegSz);
        return value->text;
    }

    platform::Win32Registry registry_;
    platform::SystemFileSystem files_;
    testing::RecordingInfoBox box_;
    OptionsStore store_{registry_, files_, box_};
    OptionsLoadReport report_;
    testing::ScratchDirectory scratch_;
};

TEST_F(RealRegistryOptions, SavedValuesLandAsRegSzTextsUnderTheirExactNames) {
    Toptions options;
    options.usr = text::gbk("玩家一");
    options.pwd = Gbk("s3cret");
    options.TAdir = text::gbk("C:\\游戏\\TA\\");
    options.SPCdir = Gbk("D:\\SupCom\\bin\\");
    options.autologin = Gbk("0");
    options.host = Gbk("lobby.example.org");
    options.port = Gbk("8888");
    options.checkfile = Gbk("1");
    options.vnntype = 1;
    ASSERT_TRUE(store_.saveOptions(options).has_value());

    EXPECT_EQ(raw(L"usr"), L"\u73a9\u5bb6\u4e00");
    const std::string hex = protocol::des::EncryptHex("s3cret");
    EXPECT_EQ(raw(L"pwd"), std::wstring(hex.begin(), hex.end()));
    EXPECT_EQ(raw(L"autologin"), L"0");
    EXPECT_EQ(raw(L"TAdir"), L"C:\\\u6e38\u620f\\TA\\");
    EXPECT_EQ(raw(L"SPCdir"), L"D:\\SupCom\\bin\\");
    EXPECT_EQ(raw(L"host"), L"lobby.example.org");
    EXPECT_EQ(raw(L"port"), L"8888");
    EXPECT_EQ(raw(L"checkfile"), L"1");
    EXPECT_EQ(raw(L"vnntype"), L"1");
}

TEST_F(RealRegistryOptions, GbkBytesSurviveTheRoundTrip) {
    Toptions options;
    options.usr = text::gbk("作战指挥室");
    options.TAdir = text::gbk("C:\\全面歼灭\\");
    options.checkfile = Gbk("1");
    ASSERT_TRUE(store_.saveOptions(options).has_value());
    const Toptions loaded = load();
    EXPECT_EQ(loaded.usr.bytes(), text::gbk("作战指挥室").bytes());
    EXPECT_EQ(loaded.TAdir.bytes(), text::gbk("C:\\全面歼灭\\").bytes());
}

TEST_F(RealRegistryOptions, LoadCreatesTheMissingKeyAndGivesTheDefaults) {
    ASSERT_FALSE(testing::rawKeyExists(RawHive::CurrentUser, kOurs));
    const Toptions options = load();
    EXPECT_TRUE(testing::rawKeyExists(RawHive::CurrentUser, kOurs));
    EXPECT_EQ(options.autologin, Gbk("1"));
    EXPECT_EQ(options.host, Gbk("127.0.0.1"));
    EXPECT_EQ(options.port, Gbk("8888"));
    EXPECT_EQ(options.checkfile, Gbk("0"));
    EXPECT_EQ(options.vnntype, 0);
    EXPECT_FALSE(report_.keyUnavailable.has_value());
}

TEST_F(RealRegistryOptions, PolaritiesAsStored) {
    testing::writeRawText(RawHive::CurrentUser, kOurOptions, L"autologin", L"0");
    testing::writeRawText(RawHive::CurrentUser, kOurOptions, L"checkfile", L"1");
    const Toptions options = load();
    EXPECT_TRUE(autoLoginOn(options));
    EXPECT_FALSE(warnsOfUnlocatedDirectories(options));
    EXPECT_TRUE(box_.shown.empty());
}

TEST_F(RealRegistryOptions, DirectoryMessagesOnlyWhileCheckfileIsZero) {
    load();
    EXPECT_EQ(box_.shown.size(), 2U);
    testing::writeRawText(RawHive::CurrentUser, kOurOptions, L"checkfile", L"1");
    load();
    EXPECT_EQ(box_.shown.size(), 2U);
}

TEST_F(RealRegistryOptions, RecorderDirectoryIsUsedAndLocated) {
    scratch_.addFile("totala.exe");
    const Gbk directory = scratch_.gbk();
    testing::writeRawText(RawHive::CurrentUser, kRecorderOptions, L"TAdir",
                          scratch_.path().native() + L"\\");
    testing::writeRawText(RawHive::CurrentUser, kOurOptions, L"SPCdir", L"C:\\nowhere\\");
    const Toptions options = load();
    EXPECT_EQ(options.TAdir, directory);
    EXPECT_EQ(box_.shown,
              std::vector<Gbk>{text::gbk("不能定位你的最高指挥官目录，请在选项中设置。")});
}

TEST_F(RealRegistryOptions, SupremeCommanderDirectoryComesFromTheUninstallEntry) {
    scratch_.addFile("bin/supremecommander.exe");
    // As installers store it, without a trailing backslash.
    const Gbk location = testing::gbkPath(scratch_.path());
    testing::writeRawText(RawHive::LocalMachine, kUninstall, L"InstallLocation",
                          scratch_.path().native());
    const Toptions options = load();
    EXPECT_EQ(options.SPCdir, location + Gbk("\\bin\\"));
    EXPECT_EQ(box_.shown, std::vector<Gbk>{text::gbk("不能定位你的TA目录，请在选项中设置。")});
}

TEST_F(RealRegistryOptions, DamagedPasswordAndVnntypeDoNotStopTheLoad) {
    testing::writeRawText(RawHive::CurrentUser, kOurOptions, L"usr", L"someone");
    testing::writeRawText(RawHive::CurrentUser, kOurOptions, L"pwd", L"not hex!");
    testing::writeRawText(RawHive::CurrentUser, kOurOptions, L"vnntype", L"HAMACHI");
    Toptions options;
    ASSERT_NO_THROW(report_ = store_.LoadOptions(options));
    EXPECT_EQ(options.usr, Gbk("someone"));
    EXPECT_EQ(options.pwd, Gbk());
    EXPECT_EQ(options.vnntype, 0);
    EXPECT_TRUE(report_.pwdUnreadable);
    EXPECT_TRUE(report_.vnntypeUnreadable);
}

TEST_F(RealRegistryOptions, LogInSaveTouchesOnlyUsrAndPwd) {
    testing::writeRawText(RawHive::CurrentUser, kOurOptions, L"host", L"kept.example");
    ASSERT_TRUE(store_.saveLogin(text::gbk("玩家二"), Gbk()).has_value());
    EXPECT_EQ(raw(L"usr"), L"\u73a9\u5bb6\u4e8c");
    EXPECT_EQ(raw(L"pwd"), L"");
    EXPECT_EQ(raw(L"host"), L"kept.example");
}

}  // namespace
}  // namespace ardentis::settings
