// The options window on the headless client: what it shows, checks, stores and tests.
#include <gtest/gtest.h>

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

// What the account page shows of the stored settings.
struct StoredAccount {
    const char* name;
    bool autoLogin;
    const char* storedPwd;  // as the registry holds it; nullptr: enciphered "secret"
    const char* shownPwd;
};

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

TEST_F(OptionsWindow, OkRefusesWrongGameDirectoriesTheTaCheckFirst) {
    openOptions();
    w.TADir.type(Gbk("C:\\TA"));  // the file name is joined to it as it stands
    w.SPCDir.type(Gbk("D:\\Nowhere\\"));
    machine_.files.addFile(Gbk("C:\\TA\\totala.exe"));
    w.BitBtn1.click();
    machine_.files.addFile(Gbk("C:\\TAtotala.exe"));
    w.BitBtn1.click();
    EXPECT_EQ(machine_.infoBox.shown, (std::vector<Gbk>{zh<"您指定了错误的TA安装目录">(),
                                                        zh<"您指定了错误的最高指挥官安装目录">()}));
    EXPECT_TRUE(w.window.visible());
    EXPECT_TRUE(namesWritten().empty());
}

TEST_F(OptionsWindow, OkStoresAllNineValuesInOrderWithTheirPolarities) {
    openOptions();
    machine_.files.addFile(Gbk("C:\\TA\\totala.exe"));
    machine_.files.addFile(Gbk("D:\\SC\\bin\\supremecommander.exe"));
    w.usr.type(Gbk("bob"));
    w.pwd.type(Gbk("pw2"));
    w.cbauto.click();
    w.checkfile.click();
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
    std::vector<Gbk> values;
    for (const auto& name : namesWritten()) {
        values.push_back(stored(name));
    }
    EXPECT_EQ(values, (std::vector<Gbk>{Gbk("bob"), Gbk(protocol::des::EncryptHex("pw2")), Gbk("0"),
                                        Gbk("C:\\TA\\"), Gbk("D:\\SC\\bin\\"), Gbk("127.0.0.5"),
                                        Gbk("9999"), Gbk("0"), Gbk("1")}));
    EXPECT_EQ(client_.options.pwd, Gbk("pw2"));
    EXPECT_EQ(client_.options.autologin, Gbk("0"));
    EXPECT_EQ(client_.options.checkfile, Gbk("0"));
    EXPECT_EQ(client_.options.vnntype, 1);
}

TEST_F(OptionsWindow, CancelKeepsTheEditsButStoresNothing) {
    openOptions();
    w.host.type(Gbk("example.invalid"));
    ASSERT_TRUE(w.BitBtn2.click());
    EXPECT_FALSE(w.window.visible());
    EXPECT_TRUE(namesWritten().empty());
    EXPECT_EQ(client_.options.host, Gbk("127.0.0.1"));
    headless_.main.BitBtn3.click();
    EXPECT_EQ(w.host.text(), Gbk("example.invalid"));
}

TEST_F(OptionsWindow, NetworkTestReportsEachOutcomeAndLeavesTheLobbyAlone) {
    openOptions();
    w.host.type(Gbk());
    ASSERT_TRUE(w.BitBtn4.click());
    EXPECT_TRUE(testSocket_.host().empty());
    w.host.type(Gbk("127.0.0.1"));
    w.BitBtn4.setEnabled(true);
    ASSERT_TRUE(w.BitBtn4.click());
    EXPECT_EQ(testSocket_.port(), 8888);
    EXPECT_FALSE(w.BitBtn4.enabled());
    testSocket_.failConnect(platform::OsError{"connect", 10061});
    EXPECT_TRUE(w.BitBtn4.enabled());
    w.port.type(Gbk("8899"));
    w.BitBtn4.click();
    EXPECT_EQ(testSocket_.port(), 8899);
    testSocket_.completeConnect();
    EXPECT_EQ(machine_.infoBox.shown,
              (std::vector<Gbk>{
                  zh<"请指定服务器和端口。">(),
                  zh<"不能和服务器取得联系,服务器地址或端口不对。Errorcode:">() + Gbk("10061"),
                  zh<"和服务器取得联系,网络设置正确，请保存设置。">()}));
    EXPECT_EQ(testSocket_.closeCalls(), 2);
    EXPECT_FALSE(w.BitBtn4.enabled());
    EXPECT_EQ(socket_.closeCalls(), 0);
    EXPECT_TRUE(namesWritten().empty());
    EXPECT_EQ(client_.options.port, Gbk("8888"));
}

}  // namespace
}  // namespace ardentis::forms::testing
