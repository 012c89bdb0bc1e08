// The real windows of Ardentis.exe: their controls as the user meets them, start and close,
// and what they paint.
#include <windows.h>

#include <filesystem>
#include <iostream>
#include <string>

#include "app/resource.h"
#include "tests/app/app_fixture.h"
#include "text/literal.h"
#include "ui/win32/window_text.h"

namespace ardentis::app::testing {
namespace {

using text::Gbk;
using text::zh;
using win32::wideWindowText;

bool visible(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

using AppWindows = AppFixture;

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
        {lobby, IDC_MAIN_BITBTN1, L"Button", L"连接"},
        {lobby, IDC_MAIN_BITBTN2, L"Button", L"指挥室"},
        {lobby, IDC_MAIN_BITBTN3, L"Button", L"选项"},
        {lobby, IDC_MAIN_BITBTN4, L"Button", L"退出"},
        {lobby, IDC_MAIN_LVER, L"Static", L"Version:" ARDENTIS_TEST_VERSION},
        {lobby, IDC_MAIN_LVLOBBY, L"SysListView32", L""},
        {lobby, IDC_MAIN_LVROOMS, L"SysListView32", L""},
        {login, IDC_LOGIN_LABEL1, L"Static", L"帐号："},
        {login, IDC_LOGIN_LABEL2, L"Static", L"密码："},
        {login, IDC_LOGIN_BITBTN1, L"Button", L"确定"},
        {login, IDC_LOGIN_BITBTN2, L"Button", L"取消"},
        {room.dialog.handle(), IDC_ROOM_BITBTN1, L"Button", L"创建"},
        {room.dialog.handle(), IDC_ROOM_BITBTN2, L"Button", L"开始"},
        {room.dialog.handle(), IDC_ROOM_CHECKBOX1, L"Button", L"准备就绪"},
        {room.dialog.handle(), IDC_ROOM_BITBTN3, L"Button", L"退出"},
        {room.dialog.handle(), IDC_ROOM_MAPLIST, L"ComboBox", L"Gods of War 2"},
        {room.basicDialog.handle(), IDC_ROOM_PLAYERS_GROUP, L"Button", L"玩家数量:"},
        {room.basicDialog.handle(), IDC_ROOM_TRACKPLAYERS, L"msctls_trackbar32", L""},
        {room.basicDialog.handle(), IDC_ROOM_GAMECOMMENTS, L"Edit", L"欢迎加入战斗"},
        {room.optionsDialog.handle(), IDC_ROOM_RESOURCES_GROUP, L"Button", L"起始资源:"},
        {room.manageDialog.handle(), IDC_ROOM_BITBTN4, L"Button", L"请出房间"},
        {options.dialog.handle(), IDC_OPT_BITBTN1, L"Button", L"确定"},
        {options.accountDialog.handle(), IDC_OPT_LABEL6, L"Static", L"确认新密码："},
        {options.loginDialog.handle(), IDC_OPT_CBAUTO, L"Button", L"启动时自动登录"},
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
    EXPECT_EQ(wideWindowText(room.dialog.handle()), L"作战指挥室");
    EXPECT_EQ(wideWindowText(room.rglos.button(2)), L"视野全开");
    for (HWND password : {app->login.pwd.handle(), options.pwd.handle(), options.pwd1.handle()}) {
        EXPECT_EQ(SendMessageW(password, EM_GETPASSWORDCHAR, 0, 0), L'*');
    }
    EXPECT_EQ(SendMessageW(app->login.usr.handle(), EM_GETPASSWORDCHAR, 0, 0), 0);
    for (HWND view : {app->main.MemRecev.handle(), room.MemRecev.handle()}) {
        EXPECT_NE(GetWindowLongPtrW(view, GWL_STYLE) & ES_READONLY, 0)
            << "chat views are read-only";
    }
}

class StartAndClose : public AppFixture {
  protected:
    // Program start until the splash has closed and shown the lobby window.
    void startToLobby() {
        const HWND splash = app->splash.dialog.handle();
        app->start();
        EXPECT_TRUE(visible(splash));
        ASSERT_TRUE(pumpUntil([this] { return visible(app->main.dialog.handle()); }))
            << "the splash never showed the lobby window";
        EXPECT_FALSE(visible(splash));
    }
};

TEST_F(StartAndClose, SplashGivesWayToTheLobbyAndTheSystemClosesNeitherMainWindow) {
    startToLobby();
    EXPECT_FALSE(visible(app->login.dialog.handle())) << "automatic log-in is off";
    app->client.currentUser.account = Gbk("alice");  // 指挥室 opens a room only when logged in
    app->client.FormMain.BitBtn2Click();
    for (HWND window : {app->main.dialog.handle(), app->battleroom.dialog.handle()}) {
        ASSERT_TRUE(visible(window));
        SendMessageW(window, WM_CLOSE, 0, 0);
        pumpUntil([] { return false; }, 100);
        EXPECT_TRUE(visible(window));
    }
}

TEST_F(StartAndClose, QuitButtonClosesTheLobbyWindowAndEndsTheLoop) {
    startToLobby();
    // Should the close fail to end the loop, this ends it with another code.
    auto guard = app->loop.createTimer(10000, true, [] { platform::Win32EventLoop::quit(7); });
    PostMessageW(app->main.BitBtn4.handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(app->run(), 0);
    EXPECT_FALSE(visible(app->main.dialog.handle()));
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

// Whether the window and every visible window inside it have painted all they were asked
// to; a screenshot taken before then shows a half-drawn window.
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

using Screenshots = StartAndClose;

// Waits until the window has painted and what `shows` looks for is on the screen, then
// saves the screenshot beside the test.
void shoot(
    AppFixture& fixture, HWND window, const std::string& name,
    const std::function<bool()>& shows = [] { return true; }) {
    (void)fixture.pumpUntil([&] { return painted(window) && shows(); });
    const auto file = std::filesystem::current_path() / (name + ".bmp");
    EXPECT_TRUE(saveScreenshot(window, file.string())) << "could not write " << file;
    std::cout << "screenshot: " << file.string() << '\n';
    EXPECT_TRUE(shows()) << name;
}

TEST_F(Screenshots, LobbyBattleroomAndOptionsWindows) {
    startToLobby();
    auto& main = app->main;
    HWND lobby = main.dialog.handle();
    SetWindowPos(lobby, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    main.prompt.setCaption(zh<"用户:alice 位置:大厅">());
    main.lvlobby.addRow(Gbk("alice"), {zh<"爱丽丝">(), zh<"大厅">()});
    main.lvrooms.addRow(Gbk("C0DE0612345678901234"),
                        {zh<"讨论中">(), zh<"欢迎加入战斗">(), Gbk("Total Annihilation"),
                         Gbk("Comet Catcher"), Gbk("2/10"), Gbk(""), Gbk("bob"), Gbk("VNN 3.0")});
    main.MemRecev.addLine(zh<"游戏大厅>>欢迎来到 Ardentis 对战平台！">());
    // The banner's night sky at the top left, and the user line in red.
    shoot(*this, lobby, "app_lobby", [&] {
        const COLORREF sky = clientPixel(lobby, {4, 4});
        return GetRValue(sky) + GetGValue(sky) + GetBValue(sky) < 200 &&
               showsRed(main.prompt.handle());
    });

    app->client.currentUser.account = Gbk("alice");
    app->client.FormMain.BitBtn2Click();
    auto& room = app->battleroom;
    room.lvRoom.addRow(Gbk("alice"), {zh<"爱丽丝">(), zh<"就绪">()});
    room.MemRecev.addLine(zh<"作战指挥室>>bob建议使用Comet Catcher这张地图。">());
    HWND window = room.dialog.handle();
    shoot(*this, window, "app_battleroom");
    room.optionsPage.activate();
    // The mini map paints its picture: water, land or snow, never the dialog's grey.
    RECT map{};
    GetWindowRect(room.dialog.item(IDC_ROOM_MINIMAP), &map);
    POINT centre{(map.left + map.right) / 2, (map.top + map.bottom) / 2};
    ScreenToClient(window, &centre);
    shoot(*this, window, "app_battleroom_options", [&] {
        const COLORREF colour = clientPixel(window, centre);
        return GetRValue(colour) != GetGValue(colour) || GetGValue(colour) != GetBValue(colour);
    });

    app->client.FormMain.BitBtn3Click();
    app->options.TabSheet4.activate();
    shoot(*this, app->options.dialog.handle(), "app_options_game");
    EXPECT_TRUE(visible(app->options.gameDialog.handle()));
}

}  // namespace
}  // namespace ardentis::app::testing
