// What Ardentis.exe is on Windows: its real windows (their controls as the user meets them, what
// they paint, start and close), its command line, the games' windows and its sounds.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/client_network_info.h"
#include "app/desktop.h"
#include "app/resource.h"
#include "app/wave_sound_player.h"
#include "platform/win32/win32_registry.h"
#include "settings/options_store.h"
#include "tests/win32/raw_registry.h"
#include "text/literal.h"
#include "text/shown.h"
#include "ui/win32/common_controls.h"
#include "ui/win32/window_text.h"

namespace ardentis::app {
namespace {

using ardentis::testing::RawHive;
using Arguments = std::vector<std::wstring>;
using text::Gbk;
using text::zh;
using win32::wideWindowText;

const std::wstring kOurs = L"Software\\Morvane\\Ardentis";

bool visible(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The screen colour at a point of the window's client area.
COLORREF clientPixel(HWND window, POINT point) {
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Whether some pixel inside the control is clearly red.
bool showsRed(HWND control) {
    RECT area{};
    GetWindowRect(control, &area);
    HDC screen = GetDC(nullptr);
    bool found = false;
    for (int y = area.top; y < area.bottom && !found; ++y) {
        for (int x = area.left; x < area.right && !found; ++x) {
            const COLORREF colour = GetPixel(screen, x, y);
            found = GetRValue(colour) > 160 && GetGValue(colour) < 90 && GetBValue(colour) < 90;
        }
    }
    ReleaseDC(nullptr, screen);
    return found;
}

// Whether the window and every visible window inside it have painted all they were asked to;
// the screen shows a half-drawn window before then.
bool painted(HWND window) {
    bool pending = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM found) -> BOOL {
            if (IsWindowVisible(child) != FALSE && GetUpdateRect(child, nullptr, FALSE) != FALSE) {
                *reinterpret_cast<bool*>(found) = true;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&pending));
    return !pending;
}

// The whole client on its real windows, with the settings it starts from in this Wine prefix's
// registry: no automatic log-in, no game directory prompt, a loopback server nothing listens on.
// The settings are removed again afterwards.
class AppWindows : public ::testing::Test {
  protected:
    AppWindows() {
        win32::initCommonControls();
        ardentis::testing::deleteRawTree(RawHive::CurrentUser, kOurs);
        for (const auto& [name, value] : {std::pair{L"autologin", L"1"},
                                          {L"checkfile", L"1"},
                                          {L"host", L"127.0.0.1"},
                                          {L"port", L"8888"}}) {
            ardentis::testing::writeRawText(RawHive::CurrentUser, kOurs + L"\\options", name,
                                            value);
        }
        app = std::make_unique<Application>(std::vector<std::wstring>{});
    }
    ~AppWindows() override {
        app.reset();
        ardentis::testing::deleteRawTree(RawHive::CurrentUser, kOurs);
    }
    bool pumpUntil(const std::function<bool()>& done, int limitMs = 10000) {
        return app->loop.runUntil(done, std::chrono::milliseconds(limitMs));
    }
    // Waits until the window has painted and what `shows` looks for is on the screen.
    void expectPainted(HWND window, const char* name, const std::function<bool()>& shows) {
        EXPECT_TRUE(pumpUntil([&] { return painted(window) && shows(); })) << name;
    }

    std::unique_ptr<Application> app;
};

TEST_F(AppWindows, EachWindowHoldsItsControlsWithTheirKindsAndTexts) {
    app->start();
    auto& room = app->battleroom;
    auto& options = app->options;
    const HWND lobby = app->main.dialog.handle();
    const HWND login = app->login.dialog.handle();
    struct Control {
        HWND dialog;
        int id;
        const wchar_t* kind;
        const wchar_t* text;
    };
    const Control controls[] = {
        {lobby, IDC_MAIN_LVER, L"Static", L"Version:" ARDENTIS_TEST_VERSION},
        {login, IDC_LOGIN_LABEL1, L"Static", L"帐号："},
        {room.dialog.handle(), IDC_ROOM_CHECKBOX1, L"Button", L"准备就绪"},
        {app->main.chatDialog.handle(), IDC_MAIN_MEMRECEV, L"RichEdit50W", L""},
        {room.dialog.handle(), IDC_ROOM_MEMRECEV, L"RichEdit50W", L""},
        {room.dialog.handle(), IDC_ROOM_MAPLIST, L"ComboBox", L"Gods of War 2"},
        {room.basicDialog.handle(), IDC_ROOM_GAMECOMMENTS, L"Edit", L"欢迎加入战斗"},
        {room.basicDialog.handle(), IDC_ROOM_TRACKPLAYERS, L"msctls_trackbar32", L""},
        {room.optionsDialog.handle(), IDC_ROOM_RESOURCES_GROUP, L"Button", L"起始资源:"},
        {room.manageDialog.handle(), IDC_ROOM_BITBTN4, L"Button", L"请出房间"},
        {options.accountDialog.handle(), IDC_OPT_LABEL6, L"Static", L"确认新密码："},
        {options.networkDialog.handle(), IDC_OPT_PORT, L"Edit", L"8888"},
        {options.gameDialog.handle(), IDC_OPT_CHECKFILE, L"Button", L"不再提示定位游戏目录。"},
    };
    for (const Control& control : controls) {
        SCOPED_TRACE(control.id);
        HWND window = GetDlgItem(control.dialog, control.id);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(classOf(window), control.kind);
        EXPECT_EQ(wideWindowText(window), control.text);
    }
    EXPECT_EQ(wideWindowText(lobby), L"Ardentis");  // the design caption is replaced at start
    EXPECT_EQ(wideWindowText(login), L"请输入帐号和密码");
    EXPECT_EQ(wideWindowText(room.rglos.button(2)), L"视野全开");
    for (HWND password : {app->login.pwd.handle(), options.pwd.handle(), options.pwd1.handle()}) {
        EXPECT_EQ(SendMessageW(password, EM_GETPASSWORDCHAR, 0, 0), L'*');
    }
    EXPECT_EQ(SendMessageW(app->login.usr.handle(), EM_GETPASSWORDCHAR, 0, 0), 0);
    for (HWND view : {app->main.MemRecev.handle(), room.MemRecev.handle()}) {
        EXPECT_NE(GetWindowLongPtrW(view, GWL_STYLE) & ES_READONLY, 0)
            << "chat views are read-only";
    }
    // The lobby can be minimised (to the tray, when the user chose it); its close ends the
    // program as 退出 does.
    EXPECT_NE(GetWindowLongPtrW(lobby, GWL_STYLE) & WS_MINIMIZEBOX, 0);
}

// With English stored, the next start shows the dialogs' texts in English from the resources'
// string table; texts that name both languages stay as they are.
TEST_F(AppWindows, EnglishStoredShowsTheDialogsInEnglish) {
    app.reset();
    ardentis::testing::writeRawText(RawHive::CurrentUser, kOurs + L"\\options", L"language", L"en");
    platform::Win32Registry registry;
    text::setLanguage(settings::storedLanguage(registry));
    const struct Restore {
        ~Restore() { text::setLanguage(text::Language::Chinese); }
    } restore;
    ASSERT_EQ(text::language(), text::Language::English);
    app = std::make_unique<Application>(std::vector<std::wstring>{});
    auto& options = app->options;
    const std::pair<HWND, const wchar_t*> shown[] = {
        {app->login.dialog.handle(), L"Enter account and password"},
        {app->login.dialog.item(IDC_LOGIN_LABEL1), L"Account:"},
        {app->main.BitBtn1.handle(), L"Connect"},
        {app->battleroom.dialog.handle(), L"Battle Room"},
        {options.dialog.handle(), L"Options"},
        {options.vnnDialog.item(IDC_OPT_RGVNNTYPE), L"Virtual LAN software"},
        {options.loginDialog.item(IDC_OPT_LANGUAGE_LABEL), L"语言 / Language"},
        {options.networkDialog.item(IDC_OPT_PORT), L"8888"},
    };
    for (const auto& [window, text] : shown) {
        EXPECT_EQ(wideWindowText(window), text);
    }
    EXPECT_EQ(options.language.item(1), Gbk("English"));
}

// The splash gives way to the lobby; the lobby, battle room and options windows paint their
// pictures and colours; the system closes neither main window, 退出 ends the loop.
TEST_F(AppWindows, StartPaintRefuseTheSystemCloseAndQuit) {
    const HWND splash = app->splash.dialog.handle();
    app->start();
    EXPECT_TRUE(visible(splash));
    auto& main = app->main;
    HWND lobby = main.dialog.handle();
    ASSERT_TRUE(pumpUntil([&] { return visible(lobby); }))
        << "the splash never showed the lobby window";
    EXPECT_FALSE(visible(splash));
    EXPECT_FALSE(visible(app->login.dialog.handle())) << "automatic log-in is off";
    SetWindowPos(lobby, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    main.prompt.setCaption(zh<"用户:alice 位置:大厅">());
    // The banner's night sky at the top left, and the user line in red.
    expectPainted(lobby, "lobby", [&] {
        const COLORREF sky = clientPixel(lobby, {4, 4});
        return GetRValue(sky) + GetGValue(sky) + GetBValue(sky) < 200 &&
               showsRed(main.prompt.handle());
    });

    app->client.currentUser.account = Gbk("alice");  // 指挥室 opens a room only when logged in
    app->client.FormMain.BitBtn2Click();
    auto& room = app->battleroom;
    HWND window = room.dialog.handle();
    room.optionsPage.activate();
    // The mini map paints its picture: water, land or snow, never the dialog's grey.
    RECT map{};
    GetWindowRect(room.dialog.item(IDC_ROOM_MINIMAP), &map);
    POINT centre{(map.left + map.right) / 2, (map.top + map.bottom) / 2};
    ScreenToClient(window, &centre);
    expectPainted(window, "mini map", [&] {
        const COLORREF colour = clientPixel(window, centre);
        return GetRValue(colour) != GetGValue(colour) || GetGValue(colour) != GetBValue(colour);
    });
    app->client.FormMain.BitBtn3Click();
    app->options.TabSheet4.activate();
    expectPainted(app->options.dialog.handle(), "options", [] { return true; });
    EXPECT_TRUE(visible(app->options.gameDialog.handle()));

    for (HWND shown : {lobby, window}) {
        SendMessageW(shown, WM_CLOSE, 0, 0);
        pumpUntil([] { return false; }, 100);
        EXPECT_TRUE(visible(shown)) << "closed by the system";
    }
    // Should the close fail to end the loop, this ends it with another code.
    auto guard = app->loop.createTimer(10000, true, [] { platform::Win32EventLoop::quit(7); });
    PostMessageW(main.BitBtn4.handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(app->run(), 0);
    EXPECT_FALSE(visible(lobby));
}

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

TEST(Sounds, BothAlertsAreWavesAndAnUnknownOneIsNotPlayed) {
    for (const wchar_t* name : {L"BB", L"WARNING"}) {
        HRSRC found = FindResourceW(nullptr, name, L"WAVE");
        ASSERT_NE(found, nullptr);
        const std::string_view bytes(
            static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
            SizeofResource(nullptr, found));
        EXPECT_EQ(bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(bytes.substr(8, 4), "WAVE");
    }
    WaveSoundPlayer player;
    player.playToEnd("NOSUCHSOUND");
    EXPECT_FALSE(player.lastPlayed());
}

}  // namespace
}  // namespace ardentis::app
