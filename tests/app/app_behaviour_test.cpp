#include <windows.h>

#include <filesystem>
#include <string>

#include "app/resource.h"
#include "tests/app/app_fixture.h"
#include "text/literal.h"

namespace ardentis::app::testing {
namespace {

using text::Gbk;
using text::zh;

bool visible(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

// The screen colour at a point of the window's client area.
COLORREF clientPixel(HWND window, int x, int y) {
    POINT point{x, y};
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

// Whether the window and every visible window inside it have painted all they were asked
// to; a screenshot taken before then shows a half-drawn window.
bool painted(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE) != FALSE) {
        return false;
    }
    bool pending = false;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM found) -> BOOL {
            if (IsWindowVisible(child) != FALSE && GetUpdateRect(child, nullptr, FALSE) != FALSE) {
                *reinterpret_cast<bool*>(found) = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&pending));
    return !pending;
}

std::string screenshot(HWND window, const std::string& name) {
    const std::filesystem::path file = std::filesystem::current_path() / (name + ".bmp");
    EXPECT_TRUE(saveScreenshot(window, file.string())) << "could not write " << file;
    std::cout << "screenshot: " << file.string() << '\n';
    return file.string();
}

class StartAndClose : public AppFixture {
  protected:
    // Program start until the splash has closed and shown the lobby window.
    void startToLobby() {
        start();
        ASSERT_TRUE(pumpUntil([this] { return visible(app->main.dialog.handle()); }))
            << "the splash never showed the lobby window";
    }
};

TEST_F(StartAndClose, SplashClosesItselfAndShowsTheLobbyWindow) {
    startToLobby();
    EXPECT_FALSE(visible(app->splash.dialog.handle()));
    EXPECT_FALSE(visible(app->login.dialog.handle())) << "automatic log-in is off";
    EXPECT_TRUE(IsWindowEnabled(app->main.BitBtn1.handle()));
}

TEST_F(StartAndClose, LobbyWindowRefusesACloseFromTheSystem) {
    startToLobby();
    HWND lobby = app->main.dialog.handle();
    SendMessageW(lobby, WM_CLOSE, 0, 0);
    pumpFor(100);
    EXPECT_TRUE(IsWindow(lobby));
    EXPECT_TRUE(visible(lobby));
}

TEST_F(StartAndClose, BattleroomWindowRefusesACloseFromTheSystem) {
    startToLobby();
    app->client.currentUser.account = Gbk("alice");  // 指挥室 opens a room only when logged in
    app->client.FormMain.BitBtn2Click();             // opens the battle room as a host would
    HWND room = app->battleroom.dialog.handle();
    ASSERT_TRUE(visible(room));
    SendMessageW(room, WM_CLOSE, 0, 0);
    pumpFor(100);
    EXPECT_TRUE(IsWindow(room));
    EXPECT_TRUE(visible(room));
}

TEST_F(StartAndClose, QuitButtonClosesTheLobbyWindowAndEndsTheLoop) {
    startToLobby();
    // Should the close fail to end the loop, this ends it with another code.
    auto guard = app->loop.createTimer(10000, true, [] { platform::Win32EventLoop::quit(7); });
    PostMessageW(app->main.BitBtn4.handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(app->run(), 0);
    EXPECT_FALSE(visible(app->main.dialog.handle()));
}

class Screenshots : public StartAndClose {};

TEST_F(Screenshots, LobbyWindow) {
    startToLobby();
    auto& main = app->main;
    HWND lobby = main.dialog.handle();
    SetWindowPos(lobby, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    main.prompt.setCaption(zh<"用户:alice 位置:大厅">());
    main.lvlobby.addRow(Gbk("alice"), {zh<"爱丽丝">(), zh<"大厅">()});
    main.lvlobby.addRow(Gbk("bob"), {zh<"鲍勃">(), Gbk("C0DE0612345678901234")});
    main.lvrooms.addRow(Gbk("C0DE0612345678901234"),
                        {zh<"讨论中">(), zh<"欢迎加入战斗">(), Gbk("Total Annihilation"),
                         Gbk("Comet Catcher"), Gbk("2/10"), Gbk(""), Gbk("bob"), Gbk("VNN 3.0")});
    main.MemRecev.addLine(zh<"正在连接服务器，请稍候......">());
    main.MemRecev.addLine(zh<"游戏大厅>>欢迎来到 Ardentis 对战平台！">());
    main.MemRecev.addLine(zh<"bob>>大家好，来一局吗？">());
    // The banner paints its picture: the top left is the dark night sky, not the dialog.
    COLORREF sky = 0;
    const auto nightSky = [&] {
        sky = clientPixel(lobby, 4, 4);
        return GetRValue(sky) + GetGValue(sky) + GetBValue(sky) < 200;
    };
    // A loaded machine may paint the new caption late.
    const auto redUserLine = [&] { return showsRed(main.prompt.handle()); };
    EXPECT_TRUE(pumpUntil([&] { return painted(lobby) && nightSky() && redUserLine(); }, 10000));
    screenshot(lobby, "app_lobby");
    EXPECT_TRUE(nightSky()) << std::hex << sky;
    EXPECT_TRUE(redUserLine()) << "the user line is drawn in red";
}

TEST_F(Screenshots, BattleroomWindow) {
    startToLobby();
    app->client.currentUser.account = Gbk("alice");
    app->client.FormMain.BitBtn2Click();
    auto& room = app->battleroom;
    room.lvRoom.addRow(Gbk("alice"), {zh<"爱丽丝">(), zh<"就绪">()});
    room.lvRoom.addRow(Gbk("bob"), {zh<"鲍勃">(), zh<"等待">()});
    room.MemRecev.addLine(zh<"作战指挥室>>bob建议使用Comet Catcher这张地图。">());
    room.prompt.setCaption(zh<"用户:alice 位置:C0DE0612345678901234">());
    HWND window = room.dialog.handle();
    EXPECT_TRUE(pumpUntil([&] { return painted(window); }, 10000));
    screenshot(window, "app_battleroom");
    room.optionsPage.activate();
    // The mini map paints its picture: water, land or snow, never the dialog's grey.
    RECT map{};
    GetWindowRect(room.dialog.item(IDC_ROOM_MINIMAP), &map);
    POINT centre{(map.left + map.right) / 2, (map.top + map.bottom) / 2};
    ScreenToClient(window, &centre);
    COLORREF colour = 0;
    const auto grey = [&] {
        colour = clientPixel(window, centre.x, centre.y);
        return GetRValue(colour) == GetGValue(colour) && GetGValue(colour) == GetBValue(colour);
    };
    EXPECT_TRUE(pumpUntil([&] { return painted(window) && !grey(); }, 10000));
    screenshot(window, "app_battleroom_options");
    EXPECT_FALSE(grey()) << std::hex << colour;
}

TEST_F(Screenshots, OptionsWindow) {
    startToLobby();
    app->client.FormMain.BitBtn3Click();
    HWND window = app->options.dialog.handle();
    ASSERT_TRUE(visible(window));
    EXPECT_TRUE(pumpUntil([&] { return painted(window); }, 10000));
    screenshot(window, "app_options");
    app->options.TabSheet4.activate();
    EXPECT_TRUE(pumpUntil([&] { return painted(window); }, 10000));
    screenshot(window, "app_options_game");
    EXPECT_TRUE(visible(app->options.gameDialog.handle()));
    EXPECT_FALSE(visible(app->options.vnnDialog.handle()));
}

}  // namespace
}  // namespace ardentis::app::testing
