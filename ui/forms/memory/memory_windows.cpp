#include "ui/forms/memory/memory_windows.h"

#include "text/literal.h"
#include "text/shown.h"
#include "ui/forms/control_texts.h"

namespace ardentis::forms {

using text::Gbk;
using text::shown;
using text::zh;
namespace items = battleroom_items;

MemoryMainWindow::MemoryMainWindow()
    : window(shown<"Ardentis启动中">()),
      BitBtn1(shown<"连接">()),
      BitBtn2(shown<"指挥室">(), false),
      BitBtn3(shown<"选项">()),
      BitBtn4(shown<"退出">()),
      joinable(shown<"只显示可加入的">()),
      noPassword(shown<"隐藏有密码的">()) {}

MainControls MemoryMainWindow::controls() {
    return MainControls{window,  bsSkinLinkImage1, lver,     prompt,     vnnstatus,  BitBtn1,
                        BitBtn2, BitBtn3,          BitBtn4,  lvlobby,    lvrooms,    MemRecev,
                        MemSend, roomMod,          joinable, noPassword, roomSearch, userSearch};
}

MemoryLoginWindow::MemoryLoginWindow()
    : window(shown<"请输入帐号和密码">()), BitBtn1(shown<"确定">()), BitBtn2(shown<"取消">()) {}

LoginControls MemoryLoginWindow::controls() {
    return LoginControls{window, usr, pwd, BitBtn1, BitBtn2};
}

MemoryBattleroomWindow::MemoryBattleroomWindow()
    : window(shown<"作战指挥室">()),
      MapList(items::maps(), 0),
      Trackplayers(items::kPlayers.minimum, items::kPlayers.maximum, items::kPlayers.position),
      lplayers(Gbk("10")),
      Trackulimited(items::kUnitLimit.minimum, items::kUnitLimit.maximum,
                    items::kUnitLimit.position),
      llimited(Gbk("1500")),
      RGcommander(items::commander(), items::kCommanderDefault),
      rglos(items::los(), items::kLosDefault),
      RGcheat(items::forbidAllow(), items::kCheatDefault),
      RGMapmode(items::mapmode(), items::kMapmodeDefault),
      rgwatch(items::forbidAllow(), items::kWatchDefault),
      rgpos(items::startpos(), items::kStartposDefault),
      Trackmetal(items::kMetal.minimum, items::kMetal.maximum, items::kMetal.position),
      Lmetal(Gbk("1000")),
      Trackenergy(items::kEnergy.minimum, items::kEnergy.maximum, items::kEnergy.position),
      Lenergy(Gbk("1000")),
      BitBtn4(shown<"请出房间">(), false),
      BitBtn1(shown<"创建">()),
      BitBtn2(shown<"开始">(), false),
      CheckBox1(shown<"准备就绪">()),
      BitBtn3(shown<"退出">()) {
    gamecomments.setText(zh<"欢迎加入战斗">());
    Button1.setVisible(false);
    basicPage.activate();
}

room::BattleroomControls MemoryBattleroomWindow::controls() {
    return room::BattleroomControls{
        window,       MapList,  lvRoom,        basicPage, optionsPage, managePage,   mods,
        Trackplayers, lplayers, Trackulimited, llimited,  pwd,         gamecomments, RGcommander,
        rglos,        RGcheat,  RGMapmode,     rgwatch,   rgpos,       Trackmetal,   Lmetal,
        Trackenergy,  Lenergy,  BitBtn4,       BitBtn1,   BitBtn2,     CheckBox1,    BitBtn3,
        prompt,       Button1,  MemRecev,      MemSend};
}

MemoryOptionsWindow::MemoryOptionsWindow()
    : window(shown<"选项">()),
      cbauto(shown<"启动时自动登录">()),
      port(Gbk("8888")),
      BitBtn4(shown<"测试">()),
      BitBtn3(zh<"……">()),
      bitbtnspcdir(zh<"……">()),
      checkfile(shown<"不再提示定位游戏目录。">()),
      rgvnntype(options_items::vnntypes(), 0),
      BitBtn1(shown<"确定">()),
      BitBtn2(shown<"取消">()),
      tls(shown<"加密连接">()),
      tlsport(Gbk("8889")),
      vnnaddr({}, -1),
      vnndetect(shown<"自动检测">()),
      language(options_items::languages(), 0),
      comeAndGo(shown<"有人进出房间">()),
      roomFull(shown<"房间满员">()),
      allReady(shown<"全部准备好">()),
      gameStart(shown<"游戏开始">()),
      mention(shown<"聊天中提到我">()),
      sound(shown<"播放提示音">()),
      tray(shown<"最小化到托盘">()) {}

OptionsControls MemoryOptionsWindow::controls() {
    const NotifyControls notify{notifyPage, comeAndGo, roomFull, allReady,
                                gameStart,  mention,   sound,    tray};
    return OptionsControls{
        window, TabSheet2, TabSheet1, TabSheet3,    TabSheet4, TabSheet5, pwd1,     pwd2,
        pwd3,   nick,      usr,       pwd,          cbauto,    host,      port,     BitBtn4,
        TADir,  BitBtn3,   SPCDir,    bitbtnspcdir, checkfile, rgvnntype, BitBtn1,  BitBtn2,
        tls,    tlsport,   adapters,  vnnaddr,      vnndetect, vnnfound,  language, notify};
}

}  // namespace ardentis::forms
