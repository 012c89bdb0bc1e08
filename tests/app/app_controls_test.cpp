#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/resource.h"
#include "tests/app/app_fixture.h"

namespace ardentis::app::testing {
namespace {

using Texts = std::vector<std::wstring>;

// The radio items' texts and which one is checked, from the buttons themselves.
struct RadioState {
    Texts items;
    int checked = -1;
};

RadioState radioState(const win32::Win32RadioGroup& group) {
    RadioState state;
    for (int index = 0; index < group.count(); ++index) {
        HWND button = group.button(index);
        state.items.push_back(textOf(button));
        if (SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            state.checked = index;
        }
    }
    return state;
}

bool enabled(HWND window) {
    return IsWindowEnabled(window) != FALSE;
}

using LobbyWindowControls = AppFixture;

TEST_F(LobbyWindowControls, DesignCaptionIsReplacedAtStart) {
    HWND lobby = app->main.dialog.handle();
    EXPECT_EQ(textOf(lobby), L"Ardentis启动中");
    start();
    EXPECT_EQ(textOf(lobby), L"Ardentis");
}

TEST_F(LobbyWindowControls, FrameHasTheClientSizeAndNoBorderIcons) {
    start();
    HWND lobby = app->main.dialog.handle();
    const SIZE size = clientSize(lobby);
    EXPECT_EQ(size.cx, 792);
    EXPECT_EQ(size.cy, 573);
    EXPECT_FALSE(hasStyle(lobby, WS_SYSMENU));
    EXPECT_FALSE(IsWindowVisible(lobby)) << "hidden until the splash closes";
}

TEST_F(LobbyWindowControls, ButtonsAndLinesShowTheirTexts) {
    start();
    HWND lobby = app->main.dialog.handle();
    EXPECT_EQ(itemText(lobby, IDC_MAIN_BITBTN1), L"连接");
    EXPECT_EQ(itemText(lobby, IDC_MAIN_BITBTN2), L"指挥室");
    EXPECT_EQ(itemText(lobby, IDC_MAIN_BITBTN3), L"选项");
    EXPECT_EQ(itemText(lobby, IDC_MAIN_BITBTN4), L"退出");
    EXPECT_TRUE(enabled(GetDlgItem(lobby, IDC_MAIN_BITBTN1)));
    EXPECT_FALSE(enabled(GetDlgItem(lobby, IDC_MAIN_BITBTN2)));
    EXPECT_EQ(itemText(lobby, IDC_MAIN_LVER), L"Version:" ARDENTIS_TEST_VERSION);
    EXPECT_TRUE(hasStyle(GetDlgItem(lobby, IDC_MAIN_PROMPT), SS_RIGHT));
    HWND banner = GetDlgItem(lobby, IDC_MAIN_BANNER);
    EXPECT_TRUE(hasStyle(banner, SS_NOTIFY)) << "the banner takes clicks";
    EXPECT_NE(SendMessageW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "no banner picture";
    EXPECT_EQ(clientSize(banner).cx, 790);
    EXPECT_EQ(clientSize(banner).cy, 100);
}

TEST_F(LobbyWindowControls, ListsHaveTheirColumnsAndWholeRowSelection) {
    start();
    HWND lvlobby = app->main.lvlobby.handle();
    HWND lvrooms = app->main.lvrooms.handle();
    EXPECT_EQ(columnHeadings(lvlobby), (Texts{L"帐号", L"昵称", L"位置"}));
    EXPECT_EQ(columnHeadings(lvrooms), (Texts{L"房号", L"装态", L"房间说明", L"MOD名称", L"地图",
                                              L"人数", L"密码", L"房主", L"虚拟网络"}));
    for (HWND list : {lvlobby, lvrooms}) {
        EXPECT_TRUE(hasStyle(list, LVS_REPORT));
        const auto extended = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
        EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
    }
    RECT users{};
    GetWindowRect(lvlobby, &users);
    EXPECT_EQ(users.right - users.left, 161);
}

TEST_F(LobbyWindowControls, ChatPageHoldsAReadOnlyViewAndAOneLineInput) {
    start();
    EXPECT_EQ(tabTexts(app->main.PageControl2.handle()), (Texts{L"大厅"}));
    HWND view = app->main.MemRecev.handle();
    HWND input = app->main.MemSend.handle();
    EXPECT_TRUE(hasStyle(view, ES_MULTILINE | ES_READONLY | WS_VSCROLL));
    EXPECT_TRUE(hasStyle(input, ES_MULTILINE | ES_WANTRETURN));
    EXPECT_FALSE(hasStyle(input, ES_READONLY));
    RECT line{};
    GetWindowRect(input, &line);
    EXPECT_EQ(line.bottom - line.top, 22);
    EXPECT_EQ(textOf(view), L"");
    EXPECT_EQ(textOf(input), L"");
}

using LoginWindowControls = AppFixture;

TEST_F(LoginWindowControls, HasItsCaptionSizeBoxesAndButtons) {
    start();
    HWND login = app->login.dialog.handle();
    EXPECT_EQ(textOf(login), L"请输入帐号和密码");
    EXPECT_EQ(clientSize(login).cx, 186);
    EXPECT_EQ(clientSize(login).cy, 119);
    EXPECT_TRUE(hasExStyle(login, WS_EX_TOPMOST));
    EXPECT_FALSE(hasStyle(login, WS_SYSMENU));
    EXPECT_FALSE(IsWindowVisible(login));
    EXPECT_EQ(itemText(login, IDC_LOGIN_LABEL1), L"帐号：");
    EXPECT_EQ(itemText(login, IDC_LOGIN_LABEL2), L"密码：");
    EXPECT_EQ(itemText(login, IDC_LOGIN_BITBTN1), L"确定");
    EXPECT_EQ(itemText(login, IDC_LOGIN_BITBTN2), L"取消");
    EXPECT_EQ(SendMessageW(app->login.pwd.handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(SendMessageW(app->login.usr.handle(), EM_GETPASSWORDCHAR, 0, 0), 0);
}

using BattleroomWindowControls = AppFixture;

TEST_F(BattleroomWindowControls, HasItsCaptionSizeAndThreePages) {
    start();
    HWND room = app->battleroom.dialog.handle();
    EXPECT_EQ(textOf(room), L"作战指挥室");
    EXPECT_EQ(clientSize(room).cx, 632);
    EXPECT_EQ(clientSize(room).cy, 453);
    EXPECT_TRUE(hasExStyle(room, WS_EX_TOPMOST));
    EXPECT_FALSE(IsWindowVisible(room));
    HWND pages = app->battleroom.Pageoptions.handle();
    EXPECT_EQ(tabTexts(pages), (Texts{L"基本设置", L"选项", L"房间管理"}));
    EXPECT_EQ(SendMessageW(pages, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(hasStyle(app->battleroom.basicDialog.handle(), WS_VISIBLE));
    EXPECT_FALSE(hasStyle(app->battleroom.optionsDialog.handle(), WS_VISIBLE));
}

TEST_F(BattleroomWindowControls, MapListPlayersAndChatStartAsGiven) {
    start();
    auto& room = app->battleroom;
    HWND maps = room.dialog.item(IDC_ROOM_MAPLIST);
    EXPECT_EQ(comboItems(maps), (Texts{L"Gods of War 2", L"Comet Catcher", L"Shore to Shore"}));
    EXPECT_EQ(SendMessageW(maps, CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(hasStyle(maps, CBS_DROPDOWNLIST));
    EXPECT_NE(SendMessageW(room.dialog.item(IDC_ROOM_MINIMAP), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(columnHeadings(room.lvRoom.handle()), (Texts{L"帐号", L"昵称", L"准备"}));
    EXPECT_EQ(SendMessageW(room.lvRoom.handle(), LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(textOf(room.MemRecev.handle()), L"");
    EXPECT_EQ(textOf(room.MemSend.handle()), L"");
    EXPECT_TRUE(hasStyle(room.MemRecev.handle(), ES_READONLY | WS_VSCROLL));
}

TEST_F(BattleroomWindowControls, BasicPageSlidersLabelsAndTexts) {
    start();
    auto& room = app->battleroom;
    HWND page = room.basicDialog.handle();
    EXPECT_EQ(itemText(page, IDC_ROOM_MODS_GROUP), L"选择MOD(游戏):");
    EXPECT_EQ(itemText(page, IDC_ROOM_PLAYERS_GROUP), L"玩家数量:");
    EXPECT_EQ(itemText(page, IDC_ROOM_LIMIT_GROUP), L"单位上限:");
    EXPECT_EQ(itemText(page, IDC_ROOM_COMMENTS_GROUP), L"简要说明:");
    EXPECT_EQ(itemText(page, IDC_ROOM_PWD_LABEL), L"房间密码");
    const TrackRange players = trackRange(room.Trackplayers.handle());
    EXPECT_EQ(players.minimum, 1);
    EXPECT_EQ(players.maximum, 10);
    EXPECT_EQ(players.position, 10);
    EXPECT_EQ(itemText(page, IDC_ROOM_LPLAYERS), L"10");
    const TrackRange limit = trackRange(room.Trackulimited.handle());
    EXPECT_EQ(limit.minimum, 5);
    EXPECT_EQ(limit.maximum, 30);
    EXPECT_EQ(limit.position, 30);
    EXPECT_EQ(itemText(page, IDC_ROOM_LLIMITED), L"1500");
    EXPECT_EQ(textOf(room.pwd.handle()), L"");
    EXPECT_EQ(textOf(room.gamecomments.handle()), L"欢迎加入战斗");
    EXPECT_TRUE(hasStyle(room.dialog.item(IDC_ROOM_MAPLIST), WS_VISIBLE));
    // No game is installed in the test prefix: the mod list is empty.
    EXPECT_EQ(SendMessageW(room.mods.handle(), CB_GETCOUNT, 0, 0), 0);
}

TEST_F(BattleroomWindowControls, OptionsPageRadioGroupsAndResources) {
    start();
    auto& room = app->battleroom;
    EXPECT_EQ(textOf(room.RGcommander.groupBox()), L"指挥官战死");
    EXPECT_EQ(radioState(room.RGcommander).items, (Texts{L"继续游戏", L"游戏结束", L"死亡竞赛"}));
    EXPECT_EQ(radioState(room.RGcommander).checked, 1);
    EXPECT_EQ(textOf(room.rglos.groupBox()), L"视野模式");
    EXPECT_EQ(radioState(room.rglos).items, (Texts{L"真实视野", L"圆形视野", L"视野全开"}));
    EXPECT_EQ(radioState(room.rglos).checked, 0);
    EXPECT_EQ(textOf(room.RGcheat.groupBox()), L"作弊");
    EXPECT_EQ(radioState(room.RGcheat).items, (Texts{L"禁止", L"允许"}));
    EXPECT_EQ(radioState(room.RGcheat).checked, 0);
    EXPECT_EQ(textOf(room.RGMapmode.groupBox()), L"地图模式");
    EXPECT_EQ(radioState(room.RGMapmode).items, (Texts{L"未探索", L"已探索"}));
    EXPECT_EQ(radioState(room.RGMapmode).checked, 1);
    EXPECT_EQ(textOf(room.rgwatch.groupBox()), L"观战");
    EXPECT_EQ(radioState(room.rgwatch).items, (Texts{L"禁止", L"允许"}));
    EXPECT_EQ(radioState(room.rgwatch).checked, 1);
    EXPECT_EQ(textOf(room.rgpos.groupBox()), L"出生点");
    EXPECT_EQ(radioState(room.rgpos).items, (Texts{L"固定", L"随机"}));
    EXPECT_EQ(radioState(room.rgpos).checked, 1);
    HWND page = room.optionsDialog.handle();
    EXPECT_EQ(itemText(page, IDC_ROOM_RESOURCES_GROUP), L"起始资源:");
    EXPECT_EQ(itemText(page, IDC_ROOM_METAL_LABEL), L"金属");
    EXPECT_EQ(itemText(page, IDC_ROOM_ENERGY_LABEL), L"能量");
    for (HWND slider : {room.Trackmetal.handle(), room.Trackenergy.handle()}) {
        const TrackRange range = trackRange(slider);
        EXPECT_EQ(range.minimum, 0);
        EXPECT_EQ(range.maximum, 10);
        EXPECT_EQ(range.position, 1);
    }
    EXPECT_EQ(itemText(page, IDC_ROOM_LMETAL), L"1000");
    EXPECT_EQ(itemText(page, IDC_ROOM_LENERGY), L"1000");
}

TEST_F(BattleroomWindowControls, ButtonRowStartsAsGiven) {
    start();
    auto& room = app->battleroom;
    HWND dialog = room.dialog.handle();
    EXPECT_EQ(itemText(dialog, IDC_ROOM_BITBTN1), L"创建");
    EXPECT_TRUE(enabled(room.BitBtn1.handle()));
    EXPECT_EQ(itemText(dialog, IDC_ROOM_BITBTN2), L"开始");
    EXPECT_FALSE(enabled(room.BitBtn2.handle()));
    EXPECT_EQ(itemText(dialog, IDC_ROOM_CHECKBOX1), L"准备就绪");
    EXPECT_EQ(SendMessageW(room.CheckBox1.handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(itemText(dialog, IDC_ROOM_BITBTN3), L"退出");
    EXPECT_TRUE(enabled(room.BitBtn3.handle()));
    EXPECT_FALSE(hasStyle(room.Button1.handle(), WS_VISIBLE)) << "Button1 is hidden";
    EXPECT_EQ(itemText(room.manageDialog.handle(), IDC_ROOM_BITBTN4), L"请出房间");
    EXPECT_FALSE(enabled(room.BitBtn4.handle()));
    EXPECT_TRUE(hasStyle(room.prompt.handle(), SS_RIGHT));
    // 开始 and 准备就绪 share one place in the row.
    RECT start{};
    RECT ready{};
    GetWindowRect(room.BitBtn2.handle(), &start);
    GetWindowRect(room.CheckBox1.handle(), &ready);
    EXPECT_EQ(start.left, ready.left);
}

using OptionsWindowControls = AppFixture;

TEST_F(OptionsWindowControls, HasItsCaptionSizeAndFlatButtonTabs) {
    start();
    HWND options = app->options.dialog.handle();
    EXPECT_EQ(textOf(options), L"选项");
    EXPECT_EQ(clientSize(options).cx, 319);
    EXPECT_EQ(clientSize(options).cy, 197);
    EXPECT_TRUE(hasExStyle(options, WS_EX_TOPMOST));
    EXPECT_FALSE(hasStyle(options, WS_SYSMENU));
    EXPECT_FALSE(IsWindowVisible(options));
    HWND tabs = app->options.PageControl1.handle();
    EXPECT_TRUE(hasStyle(tabs, TCS_BUTTONS | TCS_FLATBUTTONS));
    // The account page is there only while logged in.
    EXPECT_EQ(tabTexts(tabs), (Texts{L"登录", L"网络", L"游戏", L"虚拟网络"}));
    EXPECT_TRUE(app->options.TabSheet5.active());
    app->options.TabSheet2.setVisible(true);
    EXPECT_EQ(tabTexts(tabs), (Texts{L"帐号", L"登录", L"网络", L"游戏", L"虚拟网络"}));
    EXPECT_EQ(itemText(options, IDC_OPT_BITBTN1), L"确定");
    EXPECT_EQ(itemText(options, IDC_OPT_BITBTN2), L"取消");
}

TEST_F(OptionsWindowControls, AccountAndLoginPages) {
    start();
    auto& o = app->options;
    HWND account = o.accountDialog.handle();
    EXPECT_EQ(itemText(account, IDC_OPT_LABEL5), L"老密码：");
    EXPECT_EQ(itemText(account, IDC_OPT_LABEL4), L"新密码：");
    EXPECT_EQ(itemText(account, IDC_OPT_LABEL6), L"确认新密码：");
    EXPECT_EQ(itemText(account, IDC_OPT_LABEL7), L"修改昵称：");
    for (HWND masked : {o.pwd1.handle(), o.pwd2.handle(), o.pwd3.handle(), o.pwd.handle()}) {
        EXPECT_EQ(SendMessageW(masked, EM_GETPASSWORDCHAR, 0, 0), L'*');
    }
    EXPECT_EQ(SendMessageW(o.nick.handle(), EM_GETPASSWORDCHAR, 0, 0), 0);
    HWND login = o.loginDialog.handle();
    EXPECT_EQ(itemText(login, IDC_OPT_STATICTEXT1), L"帐号：");
    EXPECT_EQ(itemText(login, IDC_OPT_STATICTEXT2), L"密码：");
    EXPECT_EQ(itemText(login, IDC_OPT_CBAUTO), L"启动时自动登录");
    // Automatic log-in is off in the fixture's settings.
    EXPECT_EQ(SendMessageW(o.cbauto.handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(OptionsWindowControls, NetworkGameAndVirtualLanPages) {
    start();
    auto& o = app->options;
    HWND network = o.networkDialog.handle();
    EXPECT_EQ(itemText(network, IDC_OPT_LABEL1), L"服务器地址:");
    EXPECT_EQ(itemText(network, IDC_OPT_LABEL3), L"服务器监听端口:");
    EXPECT_EQ(textOf(o.port.handle()), L"8888");
    EXPECT_EQ(itemText(network, IDC_OPT_BITBTN4), L"测试");
    EXPECT_TRUE(enabled(o.BitBtn4.handle()));
    HWND game = o.gameDialog.handle();
    EXPECT_EQ(itemText(game, IDC_OPT_LABEL2), L"如果提示没能找到TA目录请选择TA目录。");
    EXPECT_EQ(itemText(game, IDC_OPT_LABEL8), L"如果提示没能找到 最高指挥官目录请选择目录。");
    EXPECT_EQ(itemText(game, IDC_OPT_BITBTN3), L"……");
    EXPECT_EQ(itemText(game, IDC_OPT_BITBTNSPCDIR), L"……");
    EXPECT_EQ(itemText(game, IDC_OPT_CHECKFILE), L"不再提示定位游戏目录。");
    EXPECT_EQ(itemText(o.vnnDialog.handle(), IDC_OPT_MEMO1),
              L"\u3000\u3000对战平台基于第三方的虚拟局域网软件。你可以使用\r\n"
              L"其中一种和朋友们联机。当然您必须确保创建房间时虚拟\r\n"
              L"局域网软件保持连接。");
    EXPECT_EQ(textOf(o.rgvnntype.groupBox()), L"选择虚拟局域网软件");
    EXPECT_EQ(radioState(o.rgvnntype).items, (Texts{L"VNN 3.0", L"HAMACHI"}));
    EXPECT_EQ(radioState(o.rgvnntype).checked, 0);
}

using SplashWindowControls = AppFixture;

TEST_F(SplashWindowControls, IsABorderlessPictureOnTop) {
    HWND splash = app->splash.dialog.handle();
    EXPECT_FALSE(IsWindowVisible(splash)) << "invisible until shown";
    start();
    EXPECT_TRUE(IsWindowVisible(splash));
    EXPECT_EQ(clientSize(splash).cx, 471);
    EXPECT_EQ(clientSize(splash).cy, 173);
    EXPECT_FALSE(hasStyle(splash, WS_CAPTION));
    EXPECT_TRUE(hasExStyle(splash, WS_EX_TOPMOST));
    HWND picture = GetDlgItem(splash, IDC_SPLASH_IMAGE1);
    EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(clientSize(picture).cx, 471);
    EXPECT_EQ(clientSize(picture).cy, 173);
}

}  // namespace
}  // namespace ardentis::app::testing
