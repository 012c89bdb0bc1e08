#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/client_network_info.h"
#include "app/desktop.h"
#include "app/resource.h"
#include "app/wave_sound_player.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "settings/system_helpers.h"
#include "tests/win32/raw_registry.h"

namespace ardentis::app {
namespace {

using ardentis::testing::RawHive;

const std::wstring kOurs = L"Software\\Morvane\\Ardentis";

std::string_view resourceBytes(const wchar_t* name, const wchar_t* type) {
    HRSRC found = FindResourceW(nullptr, name, type);
    if (found == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(nullptr, found);
    return {static_cast<const char*>(LockResource(loaded)), SizeofResource(nullptr, found)};
}

class CommunitySite : public ::testing::Test {
  protected:
    void SetUp() override { ardentis::testing::deleteRawTree(RawHive::CurrentUser, kOurs); }
    void TearDown() override { ardentis::testing::deleteRawTree(RawHive::CurrentUser, kOurs); }
    platform::Win32Registry registry_;
};

TEST_F(CommunitySite, IsAPlaceholderWhenNothingNamesOne) {
    EXPECT_EQ(communitySite({}, registry_), text::Gbk("http://ardentis.invalid/"));
}

TEST_F(CommunitySite, ComesFromTheRegistry) {
    ardentis::testing::writeRawText(RawHive::CurrentUser, kOurs, L"site", L"http://ta.example/");
    EXPECT_EQ(communitySite({}, registry_), text::Gbk("http://ta.example/"));
}

TEST_F(CommunitySite, CommandLineOverridesTheRegistry) {
    ardentis::testing::writeRawText(RawHive::CurrentUser, kOurs, L"site", L"http://ta.example/");
    const std::vector<std::wstring> arguments{L"--other", L"--site=http://mirror.example/"};
    EXPECT_EQ(communitySite(arguments, registry_), text::Gbk("http://mirror.example/"));
}

TEST_F(CommunitySite, AnEmptyOptionIsIgnored) {
    const std::vector<std::wstring> arguments{L"--site="};
    EXPECT_EQ(communitySite(arguments, registry_), text::Gbk("http://ardentis.invalid/"));
}

TEST(LanAddresses, TheCommandLineReplacesTheLookupsList) {
    const std::vector<std::wstring> arguments{L"--site=http://x.example/",
                                              L"--lan-addresses=10.140.0.9,127.0.0.1"};
    const ClientNetworkInfo network(arguments);
    const auto addresses = network.localAddresses();
    ASSERT_TRUE(addresses.has_value());
    EXPECT_EQ(*addresses, (std::vector<platform::Ipv4Address>{{10, 140, 0, 9}, {127, 0, 0, 1}}));
}

TEST(LanAddresses, MalformedEntriesAreSkipped) {
    const std::vector<std::wstring> arguments{
        L"--lan-addresses=5.1.2.3,10.140.0,1.2.3.256,a.b.c.d,"
        L",1..2.3,10.140.7.8"};
    EXPECT_EQ(lanAddressesOption(arguments),
              (std::vector<platform::Ipv4Address>{{5, 1, 2, 3}, {10, 140, 7, 8}}));
}

TEST(LanAddresses, WithoutTheOptionThereIsNoList) {
    EXPECT_FALSE(lanAddressesOption(std::vector<std::wstring>{L"--site=x"}).has_value());
    EXPECT_FALSE(lanAddressesOption(std::vector<std::wstring>{}).has_value());
}

// A top-level window with the given title, as a running game has.
class TitledWindow {
  public:
    explicit TitledWindow(const wchar_t* title)
        : window_(CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr)) {}
    ~TitledWindow() { DestroyWindow(window_); }
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;
    [[nodiscard]] HWND handle() const { return window_; }

  private:
    HWND window_;
};

TEST(GameWindow, IsSeenByEitherTitleAndOnlyWhileItExists) {
    EXPECT_FALSE(gameWindowOpen());
    {
        TitledWindow game(L"Total Annihilation");
        ASSERT_NE(game.handle(), nullptr);
        EXPECT_TRUE(gameWindowOpen());
    }
    EXPECT_FALSE(gameWindowOpen());
    {
        TitledWindow game(L"Supreme Commander");
        EXPECT_TRUE(gameWindowOpen());
    }
    TitledWindow other(L"Total Annihilation Launcher");
    EXPECT_FALSE(gameWindowOpen()) << "the whole title must match";
}

TEST(ProgramResources, CarryBothWaveSounds) {
    for (const wchar_t* name : {L"BB", L"WARNING"}) {
        const std::string_view bytes = resourceBytes(name, L"WAVE");
        ASSERT_GT(bytes.size(), 44U) << "no wave resource";
        EXPECT_EQ(bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(bytes.substr(8, 4), "WAVE");
        EXPECT_LT(bytes.size(), 32768U) << "alert sounds are short";
    }
}

TEST(ProgramResources, AnUnknownSoundIsNotPlayed) {
    WaveSoundPlayer player;
    player.playToEnd("NOSUCHSOUND");
    EXPECT_FALSE(player.lastPlayed());
}

TEST(ProgramResources, ManifestAsksForCommonControlsSixAndPerMonitorDpi) {
    const std::string_view manifest =
        resourceBytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string_view::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string_view::npos);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string_view::npos);
}

TEST(ProgramResources, VersionIsTheProjectVersion) {
    platform::Win32SystemInfo system;
    EXPECT_EQ(settings::GetFileVersionText(system), text::Gbk(ARDENTIS_TEST_VERSION));
}

TEST(ProgramResources, IconAndPicturesLoad) {
    EXPECT_NE(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ARDENTIS), IMAGE_ICON, 32,
                         32, LR_SHARED),
              nullptr);
    for (const int id : {IDB_BANNER, IDB_ROOMBANNER, IDB_SPLASH, IDB_MINIMAP}) {
        HANDLE picture =
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0);
        EXPECT_NE(picture, nullptr) << "bitmap " << id;
        DeleteObject(picture);
    }
}

}  // namespace
}  // namespace ardentis::app
