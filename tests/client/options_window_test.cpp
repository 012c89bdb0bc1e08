#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "headless_fixture.h"
#include "protocol/des.h"
#include "settings/options_store.h"

namespace ardentis::forms::testing {
namespace {

using platform::RegistryHive;
using std::chrono::milliseconds;
using text::Gbk;
using text::zh;

class OptionsWindow : public HeadlessFixture {
  protected:
    // Start-up without automatic log-in, then the lobby window's 选项.
    void openOptions() {
        machine_.storeSettings(Gbk("alice"), Gbk("secret"), Gbk("127.0.0.1"), 8888, false);
        client_.start();
        loop_.advance(milliseconds(2000));
        ASSERT_TRUE(headless_.main.BitBtn3.click());
        ASSERT_TRUE(w.window.visible());
        writesBefore_ = machine_.registry.writes().size();
    }
    [[nodiscard]] std::vector<std::string> namesWritten() const {
        std::vector<std::string> names;
        const auto& writes = machine_.registry.writes();
        for (std::size_t i = writesBefore_; i < writes.size(); ++i) {
            names.push_back(writes[i].name);
        }
        return names;
    }
    [[nodiscard]] Gbk stored(std::string_view name) const {
        return machine_.registry.text(RegistryHive::CurrentUser, settings::kOptionsSection, name)
            .value_or(Gbk("<missing>"));
    }

    MemoryOptionsWindow& w = headless_.options;
    std::size_t writesBefore_ = 0;
};

// What the options window's account page shows of the stored settings.
struct StoredAccount {
    const char* name;
    bool autoLogin;
    const char* storedPwd;  // as the registry holds it; nullptr: enciphered "secret"
    const char* shownPwd;
};

void PrintTo(const StoredAccount& stored, std::ostream* os) {
    *os << stored.name;
}

class OptionsFilled : public OptionsWindow, public ::testing::WithParamInterface<StoredAccount> {};

TEST_P(OptionsFilled, FromTheStoredAccount) {
    machine_.storeSettings(Gbk("alice"), Gbk("secret"), Gbk("127.0.0.1"), 8888,
                           GetParam().autoLogin);
    if (GetParam().storedPwd != nullptr) {
        machine_.registry.setText(RegistryHive::CurrentUser, settings::kOptionsSection, "pwd",
                                  Gbk(GetParam().storedPwd));
    }
    client_.start();
    EXPECT_EQ(w.usr.text(), Gbk("alice"));
    EXPECT_EQ(w.pwd.text(), Gbk(GetParam().shownPwd));
    EXPECT_EQ(w.cbauto.checked(), GetParam().autoLogin);
}

INSTANTIATE_TEST_SUITE_P(Accounts, OptionsFilled,
                         ::testing::Values(StoredAccount{"AutoLogInOff", false, nullptr, "secret"},
                                           StoredAccount{"AutoLogInOn", true, nullptr, "secret"},
                                           StoredAccount{"DamagedPassword", false, "Z1X2", ""},
                                           StoredAccount{"CutPassword", true, "0123", ""}),
                         [](const ::testing::TestParamInfo<StoredAccount>& stored) {
                             return stored.param.name;
                         });

TEST_F(OptionsWindow, OkRefusesAWrongTaDirectoryAndSavesNothing) {
    openOptions();
    w.TADir.type(Gbk("C:\\Nowhere\\"));
    w.SPCDir.type(Gbk("D:\\Nowhere\\"));  // wrong too, but the first check speaks
    w.host.type(Gbk("127.0.0.5"));
    ASSERT_TRUE(w.BitBtn1.click());
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"您指定了错误的TA安装目录">());
    EXPECT_TRUE(w.window.visible());
    EXPECT_TRUE(namesWritten().empty());
    EXPECT_EQ(client_.options.host, Gbk("127.0.0.1"));
}

TEST_F(OptionsWindow, OkRefusesAWrongSupremeCommanderDirectory) {
    openOptions();
    w.SPCDir.type(Gbk("D:\\Nowhere\\"));
    w.BitBtn1.click();
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"您指定了错误的最高指挥官安装目录">());
    EXPECT_TRUE(w.window.visible());
    EXPECT_TRUE(namesWritten().empty());
}

TEST_F(OptionsWindow, DirectoryAndFileNameAreJoinedAsTheyStand) {
    openOptions();
    machine_.files.addFile(Gbk("C:\\TA\\totala.exe"));
    w.TADir.type(Gbk("C:\\TA"));
    w.BitBtn1.click();
    EXPECT_EQ(machine_.infoBox.shown.size(), 1U);

    machine_.files.addFile(Gbk("C:\\TAtotala.exe"));
    w.BitBtn1.click();
    EXPECT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_FALSE(w.window.visible());
    EXPECT_EQ(stored("TAdir"), Gbk("C:\\TA"));
}

TEST_F(OptionsWindow, OkStoresAllNineValuesInOrderWithTheirPolarities) {
    openOptions();
    machine_.files.addFile(Gbk("C:\\TA\\totala.exe"));
    machine_.files.addFile(Gbk("D:\\SC\\bin\\supremecommander.exe"));
    w.usr.type(Gbk("bob"));
    w.pwd.type(Gbk("pw2"));
    ASSERT_FALSE(w.cbauto.checked());
    w.cbauto.click();
    ASSERT_TRUE(w.checkfile.checked());  // the stored "1" shows ticked
    w.TADir.type(Gbk("C:\\TA\\"));
    w.SPCDir.type(Gbk("D:\\SC\\bin\\"));
    w.host.type(Gbk("127.0.0.5"));
    w.port.type(Gbk("9999"));
    w.rgvnntype.click(1);

    ASSERT_TRUE(w.BitBtn1.click());
    EXPECT_TRUE(machine_.infoBox.shown.empty());
    EXPECT_FALSE(w.window.visible());
    EXPECT_EQ(namesWritten(),
              (std::vector<std::string>{"usr", "pwd", "autologin", "TAdir", "SPCdir", "host",
                                        "port", "checkfile", "vnntype"}));
    EXPECT_EQ(stored("usr"), Gbk("bob"));
    EXPECT_EQ(stored("pwd"), Gbk(protocol::des::EncryptHex("pw2")));
    EXPECT_EQ(stored("autologin"), Gbk("0"));
    EXPECT_EQ(stored("TAdir"), Gbk("C:\\TA\\"));
    EXPECT_EQ(stored("SPCdir"), Gbk("D:\\SC\\bin\\"));
    EXPECT_EQ(stored("host"), Gbk("127.0.0.5"));
    EXPECT_EQ(stored("port"), Gbk("9999"));
    EXPECT_EQ(stored("checkfile"), Gbk("1"));
    EXPECT_EQ(stored("vnntype"), Gbk("1"));

    EXPECT_EQ(client_.options.usr, Gbk("bob"));
    EXPECT_EQ(client_.options.pwd, Gbk("pw2"));
    EXPECT_EQ(client_.options.autologin, Gbk("0"));
    EXPECT_EQ(client_.options.checkfile, Gbk("1"));
    EXPECT_EQ(client_.options.vnntype, 1);
}

TEST_F(OptionsWindow, UntickedBoxesStoreTheOppositeValues) {
    openOptions();
    w.checkfile.click();
    ASSERT_FALSE(w.cbauto.checked());
    ASSERT_FALSE(w.checkfile.checked());
    w.BitBtn1.click();
    EXPECT_EQ(stored("autologin"), Gbk("1"));
    EXPECT_EQ(stored("checkfile"), Gbk("0"));
    EXPECT_EQ(stored("TAdir"), Gbk());  // empty boxes pass the checks
}

TEST_F(OptionsWindow, CancelKeepsTheEditsButStoresNothing) {
    openOptions();
    w.host.type(Gbk("example.invalid"));
    w.cbauto.click();
    ASSERT_TRUE(w.BitBtn2.click());
    EXPECT_FALSE(w.window.visible());
    EXPECT_TRUE(namesWritten().empty());
    EXPECT_EQ(client_.options.host, Gbk("127.0.0.1"));
    EXPECT_EQ(client_.options.autologin, Gbk("1"));

    headless_.main.BitBtn3.click();
    EXPECT_EQ(w.host.text(), Gbk("example.invalid"));
    EXPECT_TRUE(w.cbauto.checked());
}

class NetworkTest : public OptionsWindow {};

TEST_F(NetworkTest, EmptyHostIsReportedAndTheButtonStaysDisabled) {
    openOptions();
    w.host.type(Gbk());
    ASSERT_TRUE(w.BitBtn4.click());
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"请指定服务器和端口。">());
    EXPECT_FALSE(w.BitBtn4.enabled());
    EXPECT_TRUE(testSocket_.host().empty());
}

TEST_F(NetworkTest, FailureReportsTheErrorCodeAndReenablesTheButton) {
    openOptions();
    ASSERT_TRUE(w.BitBtn4.click());
    EXPECT_EQ(testSocket_.host(), "127.0.0.1");
    EXPECT_EQ(testSocket_.port(), 8888);
    EXPECT_FALSE(w.BitBtn4.enabled());
    EXPECT_TRUE(machine_.infoBox.shown.empty());

    testSocket_.failConnect(platform::OsError{"connect", 10061});
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0],
              zh<"不能和服务器取得联系,服务器地址或端口不对。Errorcode:">() + Gbk("10061"));
    EXPECT_TRUE(w.BitBtn4.enabled());
    EXPECT_EQ(testSocket_.closeCalls(), 1);
    // The lobby connection is not touched.
    EXPECT_EQ(socket_.closeCalls(), 0);
    EXPECT_EQ(headless_.main.BitBtn1.caption(), zh<"连接">());
    EXPECT_EQ(headless_.main.MemRecev.lineCount(), 0);
}

TEST_F(NetworkTest, SuccessIsReportedTheSocketClosedAndTheButtonLeftDisabled) {
    openOptions();
    w.port.type(Gbk("8899"));
    w.BitBtn4.click();
    EXPECT_EQ(testSocket_.port(), 8899);
    testSocket_.completeConnect();
    ASSERT_EQ(machine_.infoBox.shown.size(), 1U);
    EXPECT_EQ(machine_.infoBox.shown[0], zh<"和服务器取得联系,网络设置正确，请保存设置。">());
    EXPECT_EQ(testSocket_.closeCalls(), 1);
    EXPECT_FALSE(testSocket_.connected());
    EXPECT_FALSE(w.BitBtn4.enabled());
    EXPECT_TRUE(namesWritten().empty());
    EXPECT_EQ(client_.options.port, Gbk("8888"));
}

}  // namespace
}  // namespace ardentis::forms::testing
