#include "settings/local_network.h"
#include "settings/options_store.h"
#include "settings/server_pins.h"
#include "settings/system_helpers.h"
#include "settings/virtual_lan.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "controls/memory/memory_dialogs.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_network_info.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_system_info.h"
#include "protocol/des.h"
#include "tests/support/doubles.h"
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
    return {o.usr,       o.pwd,   o.autologin, o.TAdir,   o.SPCdir,  o.host,    o.port,
            o.checkfile, vnntype, o.tls,       o.tlsport, o.vnnaddr, o.language};
}

struct OptionsStoreTest : ::testing::Test {
    void stored(std::string_view name, const Gbk& value) {
        registry_.setText(RegistryHive::CurrentUser, kOptionsSection, name, value);
    }
    std::optional<Gbk> storedText(std::string_view name) const {
        return registry_.text(RegistryHive::CurrentUser, kOptionsSection, name);
    }
    Toptions load(Toptions options = {}) {
        box_.shown.clear();
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
    Toptions before;
    before.vnnip = Gbk("5.1.2.3");  // worked out elsewhere, never loaded
    const Toptions options = load(before);
    EXPECT_TRUE(registry_.openKey(RegistryHive::CurrentUser, kOptionsKey).has_value());
    EXPECT_TRUE(registry_.writes().empty());
    EXPECT_EQ(options.vnnip, Gbk("5.1.2.3"));
    EXPECT_EQ(storedFields(options),
              (std::vector<Gbk>{Gbk(), Gbk(), Gbk("1"), Gbk(), Gbk(), Gbk("127.0.0.1"), Gbk("8888"),
                                Gbk("0"), Gbk("0"), Gbk("0"), Gbk("8889"), Gbk(), Gbk("zh")}));
    EXPECT_EQ(storedLanguage(registry_), text::Language::Chinese);
    EXPECT_FALSE(autoLoginOn(options));
    EXPECT_FALSE(report_.pwdUnreadable || report_.vnntypeUnreadable || report_.keyUnavailable);
    EXPECT_EQ(box_.shown, (std::vector<Gbk>{kTaMessage, kScMessage}));
    // A key that cannot be opened gives the defaults too, and refuses saving.
    stored("host", Gbk("x"));
    registry_.refuseAccess(true);
    EXPECT_EQ(load().host, Gbk("127.0.0.1"));
    ASSERT_TRUE(report_.keyUnavailable.has_value());
    EXPECT_EQ(report_.keyUnavailable->fault, platform::RegistryFault::System);
    EXPECT_FALSE(store_.saveOptions(Toptions{}).has_value());
    EXPECT_FALSE(store_.saveLogin(Gbk("a"), Gbk("b")).has_value());
    EXPECT_TRUE(registry_.writes().empty());
}

// Saving writes the thirteen texts in order; a log-in writes usr and pwd only.
TEST_F(OptionsStoreTest, SavedValuesLoadBackByteForByteAndALogInSavesUsrAndPwdOnly) {
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
    saved.tls = Gbk("1");
    saved.tlsport = Gbk("9002");
    saved.vnnaddr = Gbk("192.168.1.2");
    saved.language = Gbk("en");
    ASSERT_TRUE(store_.saveOptions(saved).has_value());
    const char* const names[] = {"usr",     "pwd",     "autologin", "TAdir",   "SPCdir",
                                 "host",    "port",    "checkfile", "vnntype", "tls",
                                 "tlsport", "vnnaddr", "language"};
    std::vector<Gbk> expected = storedFields(saved);
    expected[1] = Gbk(protocol::des::EncryptHex("s3cret"));
    EXPECT_EQ(registry_.writes().size(), 13U);
    for (std::size_t i = 0; i < 13; ++i) {
        EXPECT_EQ(storedText(names[i]), expected[i]) << names[i];  // texts, in our section
    }
    const Toptions loaded = load();
    EXPECT_EQ(storedFields(loaded), storedFields(saved));
    EXPECT_TRUE(autoLoginOn(loaded));
    EXPECT_EQ(storedLanguage(registry_), text::Language::English);
    EXPECT_TRUE(box_.shown.empty());  // checkfile "1": no directory messages

    ASSERT_TRUE(store_.saveLogin(text::gbk("玩家二"), Gbk("pw")).has_value());
    EXPECT_EQ(registry_.writes().size(), 15U);
    EXPECT_EQ(storedText("usr"), text::gbk("玩家二"));
    EXPECT_EQ(storedText("pwd"), Gbk(protocol::des::EncryptHex("pw")));
    ASSERT_TRUE(store_.saveLogin(Gbk("a"), Gbk()).has_value());
    EXPECT_EQ(storedText("pwd"), Gbk());  // an empty password stays empty
    EXPECT_EQ(load().pwd, Gbk());
    EXPECT_FALSE(report_.pwdUnreadable);
}

// A damaged value is reported and left at its default; the rest of the load goes on.
TEST_F(OptionsStoreTest, DamagedPwdOrVnntypeLeavesTheDefaultAndLoadingGoesOn) {
    // The value stored, whether pwd or vnntype is reported unreadable, the vnntype loaded.
    const std::tuple<const char*, const char*, bool, bool, std::int32_t> cases[] = {
        {"pwd", "12G4", true, false, 1},
        {"vnntype", "", false, true, 0},
        {"vnntype", "1 ", false, true, 0},
        {"vnntype", "99999999999", false, true, 0},
        {"vnntype", "\xD2\xBB", false, true, 0},
        {"vnntype", "-1", false, false, -1},
        {"vnntype", "007", false, false, 7},
        {"vnntype", "2147483647", false, false, 2147483647},
    };
    Toptions before;
    before.pwd = Gbk("from before");
    for (const auto& [name, value, pwdUnreadable, vnntypeUnreadable, vnntype] : cases) {
        SCOPED_TRACE(std::string(name) + "=" + value);
        stored("pwd", Gbk(protocol::des::EncryptHex("pw")));
        stored("vnntype", Gbk("1"));
        stored(name, Gbk(value));
        const Toptions options = load(before);
        EXPECT_EQ(report_.pwdUnreadable, pwdUnreadable);
        EXPECT_EQ(report_.vnntypeUnreadable, vnntypeUnreadable);
        EXPECT_EQ(options.pwd, pwdUnreadable ? Gbk() : Gbk("pw"));
        EXPECT_EQ(options.vnntype, vnntype);
        EXPECT_EQ(box_.shown.size(), 2U);
    }
}

// Where each game directory comes from, and which of them the user is told were not found
// (only with checkfile "0").
TEST_F(OptionsStoreTest, GameDirectoriesComeFromUsTheRecorderOrTheUninstallEntry) {
    files_.addFile(Gbk("C:\\recorder\\totala.exe"));
    files_.addFile(Gbk("C:\\supcom\\bin\\supremecommander.exe"));
    registry_.setText(RegistryHive::CurrentUser, kRecorderSection, "TAdir", Gbk("C:\\recorder\\"));
    // The uninstall entry holds its directory without the last separator.
    registry_.setText(RegistryHive::LocalMachine, kSupremeCommanderUninstall, "InstallLocation",
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
    load();
    EXPECT_TRUE(box_.shown.empty());
    // "...\ours" + "totala.exe" names a file beside the directory, not in it.
    files_.addFile(Gbk("C:\\ourstotala.exe"));
    stored("TAdir", Gbk("C:\\ours"));
    stored("checkfile", Gbk("0"));
    load();
    EXPECT_EQ(box_.shown, std::vector<Gbk>{kScMessage});
}

// The addresses come from a list the test sets; nothing is ever sent to them.
TEST(LocalAddresses, VnnsIsTheFirstLookedUpWithItsPrefixAndNoneWithoutALookup) {
    platform::FakeNetworkInfo network;
    // VNN's address comes from the lookup alone, whatever the adapters say.
    network.setAdapters({{Gbk("VNN"), Gbk("VNN"), {{10, 140, 7, 7}}, true}});
    const std::vector<platform::Ipv4Address> mixed{
        {192, 168, 1, 2}, {5, 255, 0, 9}, {10, 140, 9, 9}, {10, 140, 1, 1}};
    const std::pair<std::vector<platform::Ipv4Address>, const char*> cases[] = {
        {mixed, "10.140.9.9"},
        {{{10, 14, 0, 1}, {110, 140, 1, 1}, {10, 141, 0, 1}}, ""},
    };
    for (const auto& [addresses, expected] : cases) {
        network.setAddresses(addresses);
        EXPECT_EQ(GetVnnAddress(network, kVnn, {}), Gbk(expected)) << expected;
    }
    network.setAddresses(mixed);
    network.failLookup();
    EXPECT_TRUE(GetLocalAddresses(network).empty());
    EXPECT_EQ(GetVnnAddress(network, kVnn, {}), Gbk());
}

platform::NetworkAdapter adapter(const char* name, std::vector<platform::Ipv4Address> addresses,
                                 bool up = true, const char* description = "") {
    return {Gbk(name), Gbk(description), std::move(addresses), up};
}

// Each program is found by its adapter's name or driver, else by its range on an adapter
// named for none of the others; adapters that are down never give an address.
TEST(VirtualLan, EachProgramFindsItsAddressAmongTheMachinesAdapters) {
    const auto lan = adapter("Ethernet", {{192, 168, 1, 2}});
    const auto hamachi = adapter("Hamachi", {{25, 9, 8, 7}});
    const auto radmin = adapter("Ethernet 3", {{26, 1, 2, 3}}, true, "Famatech Radmin VPN Adapter");
    const auto zerotier =
        adapter("ZeroTier One [8056c2e21c000001]", {{169, 254, 3, 3}, {192, 168, 193, 4}});
    const auto tailscale = adapter("Tailscale", {{100, 64, 1, 2}});
    const std::vector all{lan, hamachi, radmin, zerotier, tailscale};
    struct Case {
        std::vector<platform::NetworkAdapter> adapters;
        std::int32_t vnntype;
        const char* picked;
        const char* expected;
    };
    const Case cases[] = {
        {all, kHamachi, "", "25.9.8.7"},
        {all, kRadmin, "", "26.1.2.3"},
        {all, kZeroTier, "", "192.168.193.4"},  // its own range, past a link-local one
        {all, kTailscale, "", "100.64.1.2"},
        {all, kOtherAddress, "192.168.1.2", "192.168.1.2"},
        {all, kOtherAddress, "192.168.9.9", ""},
        {all, kOtherAddress, "", ""},
        {all, kVnnTypeCount, "", ""},
        {all, -1, "", ""},
        // By range alone: HAMACHI's old and new ones, Tailscale's /10 to its last address.
        {{lan, adapter("Ethernet 2", {{5, 1, 1, 1}})}, kHamachi, "", "5.1.1.1"},
        {{adapter("Ethernet 2", {{15, 1, 2, 3}})}, kHamachi, "", ""},
        {{adapter("Ethernet 2", {{100, 127, 255, 254}})}, kTailscale, "", "100.127.255.254"},
        {{adapter("Ethernet 2", {{100, 128, 0, 1}}), adapter("Wi-Fi", {{100, 63, 255, 255}})},
         kTailscale,
         "",
         ""},
        {{lan}, kZeroTier, "", ""},
        // A named adapter comes before a range match; another program's adapter never counts.
        {{adapter("Ethernet 2", {{25, 5, 5, 5}}), hamachi}, kHamachi, "", "25.9.8.7"},
        {{adapter("Radmin VPN", {{25, 3, 3, 3}})}, kHamachi, "", ""},
        // Down: neither by name nor by range, nor as the picked address.
        {{adapter("Hamachi", {{25, 1, 1, 1}}, false), lan}, kHamachi, "", ""},
        {{adapter("Ethernet 2", {{26, 1, 1, 1}}, false)}, kRadmin, "", ""},
        {{adapter("Ethernet", {{192, 168, 1, 2}}, false)}, kOtherAddress, "192.168.1.2", ""},
        {{}, kHamachi, "", ""},
    };
    platform::FakeNetworkInfo network;
    network.setAddresses({{10, 140, 1, 1}, {25, 1, 1, 1}});  // the lookup is not asked
    for (const Case& c : cases) {
        network.setAdapters(c.adapters);
        EXPECT_EQ(GetVnnAddress(network, c.vnntype, Gbk(c.picked)), Gbk(c.expected))
            << "vnntype " << c.vnntype << " with " << c.adapters.size() << " adapters";
    }
    // The adapter in use is the one holding the address.
    const LocalNetwork local{all, {}};
    EXPECT_EQ(findVnnAddress(local, kTailscale, {}).adapter, 4U);
    EXPECT_EQ(findVnnAddress(local, kOtherAddress, Gbk("192.168.1.2")).adapter, 0U);
    // Without an adapter list, the lookup's addresses and the ranges still tell.
    network.failAdapters();
    network.setAddresses({{192, 168, 1, 2}, {26, 2, 2, 2}, {5, 1, 1, 1}});
    EXPECT_EQ(GetVnnAddress(network, kHamachi, {}), Gbk("5.1.1.1"));
    EXPECT_EQ(GetVnnAddress(network, kRadmin, {}), Gbk("26.2.2.2"));
    EXPECT_EQ(GetVnnAddress(network, kZeroTier, {}), Gbk());
    EXPECT_EQ(GetVnnAddress(network, kOtherAddress, Gbk("192.168.1.2")), Gbk("192.168.1.2"));
}

TEST(VirtualLan, DetectionNamesEveryProgramWithAnAdapterOrAnAddressInItsRange) {
    const std::pair<LocalNetwork, std::vector<std::int32_t>> cases[] = {
        {{std::vector{adapter("Hamachi", {{25, 1, 1, 1}}), adapter("x", {}, true, "ZeroTier Port"),
                      adapter("Ethernet", {{26, 0, 0, 9}}), adapter("Tailscale", {}, false)},
          {}},
         {kHamachi, kRadmin, kZeroTier, kTailscale}},
        {{std::vector{adapter("Hamachi", {}, false)}, {}}, {kHamachi}},  // installed, off
        {{std::vector{adapter("Ethernet", {{26, 0, 0, 9}}, false)}, {}}, {}},
        {{std::vector{adapter("Ethernet", {{192, 168, 1, 2}})}, {Gbk("10.140.2.2")}}, {kVnn}},
        {{std::nullopt, {Gbk("192.168.1.2")}}, {}},
    };
    for (const auto& [local, expected] : cases) {
        EXPECT_EQ(detectVnnTypes(local), expected) << expected.size();
    }
}

// A server the system vouches for is taken; another is taken only with the certificate the
// user accepted for it, asked about when none was, refused when it changed.
TEST(ServerPins, AcceptedCertificatesAreKeptPerServerAndJudgeTheNextHandshake) {
    const std::tuple<bool, std::optional<std::string>, ServerTrust> cases[] = {
        {true, std::nullopt, ServerTrust::Accept},    {true, "AA:01", ServerTrust::Accept},
        {false, std::nullopt, ServerTrust::AskFirst}, {false, "AB:CD", ServerTrust::Accept},
        {false, "AA:01", ServerTrust::Mismatch},
    };
    for (const auto& [trusted, pinned, verdict] : cases) {
        platform::TlsPeer peer;
        peer.fingerprint = "AB:CD";
        peer.trusted = trusted;
        EXPECT_EQ(judgeServer(peer, pinned), verdict) << trusted << pinned.value_or("-");
    }
    platform::FakeRegistry registry;
    ServerPins pins(registry);
    EXPECT_EQ(pins.pinned("lobby.example.org", 8889), std::nullopt);
    ASSERT_TRUE(pins.pin("lobby.example.org", 8889, "AB:CD").has_value());
    EXPECT_EQ(pins.pinned("lobby.example.org", 8889), "AB:CD");
    EXPECT_EQ(pins.pinned("lobby.example.org", 8890), std::nullopt);  // each port its own
    registry.setText(RegistryHive::CurrentUser, kServersSection, "cleared:1", Gbk());
    EXPECT_EQ(pins.pinned("cleared", 1), std::nullopt);  // a user's emptied value: ask again
    EXPECT_EQ(registry.text(RegistryHive::CurrentUser, kServersSection, "lobby.example.org:8889"),
              Gbk("AB:CD"));
    registry.refuseAccess(true);
    EXPECT_EQ(pins.pinned("lobby.example.org", 8889), std::nullopt);
    EXPECT_FALSE(pins.pin("other", 1, "EF").has_value());
}

TEST(SystemHelpers, UniqueIdFramesTheTimeTaskKeysSetBothFlagsVersionHasFourParts) {
    // The root whose serial is set, the serial, the time and the id.
    const std::tuple<const char*, std::uint32_t, platform::LocalTime, const char*> cases[] = {
        {"c:\\", 0x000A00B0U, {2024, 12, 31, 23, 59, 59, 999}, "000A3123595999900B0"},
        {"c:\\", 0xABCDEF12U, {2024, 12, 31, 23, 59, 59, 999}, "ABCD31235959999EF12"},
        {"d:\\", 0x12345678U, {2024, 1, 1, 0, 0, 0, 0}, "0000010000000000000"},  // unreadable
    };
    for (const auto& [root, serial, time, expected] : cases) {
        platform::FakeSystemInfo system;
        system.setVolumeSerial(root, serial);
        EXPECT_EQ(MakeUniqueId(system, testing::FixedClock(time)), Gbk(expected));
    }
    // The task keys set fast task switching, then the screen saver's running flag, and a
    // failure stops neither; the version shows four parts, or zeros without a resource.
    platform::FakeSystemInfo system;
    EXPECT_TRUE(DisableTaskKeys(system).has_value());
    system.failParameter(36);
    EXPECT_FALSE(EnableTaskKeys(system).has_value());
    EXPECT_EQ(system.parameterCalls(),
              (std::vector<platform::SystemParameterCall>{{36, 1}, {97, 1}, {36, 0}, {97, 0}}));
    EXPECT_EQ(GetFileVersionText(system), Gbk("0.0.0.0"));
    system.setFileVersion(platform::FileVersion{0xFFFF0001U, 0x000A00C8U});
    EXPECT_EQ(GetFileVersionText(system), Gbk("65535.1.10.200"));
}

}  // namespace
}  // namespace ardentis::settings
