// What the exe adds around the client: its command line, the games' windows, its sounds.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/client_network_info.h"
#include "app/desktop.h"
#include "app/wave_sound_player.h"
#include "platform/win32/win32_registry.h"
#include "tests/win32/raw_registry.h"

namespace ardentis::app {
namespace {

using ardentis::testing::RawHive;
using Arguments = std::vector<std::wstring>;

const std::wstring kOurs = L"Software\\Morvane\\Ardentis";

TEST(CommandLine, SiteComesFromTheOptionElseTheRegistryElseAPlaceholder) {
    struct Case {
        Arguments arguments;
        const wchar_t* registered;  // null: none
        const char* site;
    };
    const Case cases[] = {
        {{}, nullptr, "http://ardentis.invalid/"},
        {{}, L"http://ta.example/", "http://ta.example/"},
        {{L"--other", L"--site=http://mirror.example/"},
         L"http://ta.example/",
         "http://mirror.example/"},
        {{L"--site="}, nullptr, "http://ardentis.invalid/"},
    };
    platform::Win32Registry registry;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.site);
        ardentis::testing::deleteRawTree(RawHive::CurrentUser, kOurs);
        if (c.registered != nullptr) {
            ardentis::testing::writeRawText(RawHive::CurrentUser, kOurs, L"site", c.registered);
        }
        EXPECT_EQ(communitySite(c.arguments, registry), text::Gbk(c.site));
    }
    ardentis::testing::deleteRawTree(RawHive::CurrentUser, kOurs);
}

TEST(CommandLine, LanAddressesReplaceTheLookupsListAndMalformedEntriesAreSkipped) {
    const ClientNetworkInfo network(
        Arguments{L"--site=http://x.example/", L"--lan-addresses=10.140.0.9,127.0.0.1"});
    EXPECT_EQ(network.localAddresses().value(),
              (std::vector<platform::Ipv4Address>{{10, 140, 0, 9}, {127, 0, 0, 1}}));
    EXPECT_EQ(lanAddressesOption(Arguments{L"--lan-addresses=5.1.2.3,10.140.0,1.2.3.256,a.b.c.d,"
                                           L",1..2.3,10.140.7.8"}),
              (std::vector<platform::Ipv4Address>{{5, 1, 2, 3}, {10, 140, 7, 8}}));
    EXPECT_FALSE(lanAddressesOption(Arguments{L"--site=x"}).has_value());
}

TEST(GameWindow, IsSeenByEitherWholeTitleOnlyWhileItExists) {
    EXPECT_FALSE(gameWindowOpen());
    for (const wchar_t* title :
         {L"Total Annihilation", L"Supreme Commander", L"Total Annihilation Launcher"}) {
        SCOPED_TRACE(title);
        HWND game = CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
        ASSERT_NE(game, nullptr);
        EXPECT_EQ(gameWindowOpen(),
                  std::wstring_view(title).find(L"Launcher") == std::wstring_view::npos);
        DestroyWindow(game);
    }
    EXPECT_FALSE(gameWindowOpen());
}

TEST(Sounds, BothAlertsAreShortWavesAndAnUnknownOneIsNotPlayed) {
    for (const wchar_t* name : {L"BB", L"WARNING"}) {
        HRSRC found = FindResourceW(nullptr, name, L"WAVE");
        ASSERT_NE(found, nullptr);
        const std::string_view bytes(
            static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
            SizeofResource(nullptr, found));
        EXPECT_EQ(bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(bytes.substr(8, 4), "WAVE");
        EXPECT_LT(bytes.size(), 32768U) << "alert sounds are short";
    }
    WaveSoundPlayer player;
    player.playToEnd("NOSUCHSOUND");
    EXPECT_FALSE(player.lastPlayed());
}

}  // namespace
}  // namespace ardentis::app
