#include "app/battleroom_window.h"

#include <vector>

#include "app/resource.h"
#include "app/window_layout.h"
#include "text/literal.h"
#include "text/shown.h"
#include "ui/forms/control_texts.h"
#include "ui/win32/fitted_picture.h"

namespace ardentis::app {
namespace {

using text::shown;
using text::zh;
namespace items = forms::battleroom_items;

// Widths in dialog units; the list is 200 pixels wide.
std::vector<win32::ListColumn> playerColumns() {
    return {{shown<"帐号">(), 46}, {shown<"昵称">(), 46}, {shown<"准备">(), 32}};
}

}  // namespace

BattleroomWindow::BattleroomWindow(HWND owner)
    : dialog(IDD_BATTLEROOM, owner),
      basicDialog(IDD_ROOM_BASIC, dialog),
      optionsDialog(IDD_ROOM_OPTIONS, dialog),
      manageDialog(IDD_ROOM_MANAGE, dialog),
      window(dialog),
      banner(dialog, IDC_ROOM_BANNER),
      MapList(dialog, IDC_ROOM_MAPLIST, items::maps(), 0),
      lvRoom(dialog, IDC_ROOM_LVROOM, playerColumns()),
      Pageoptions(dialog, IDC_ROOM_PAGEOPTIONS),
      basicPage(Pageoptions, basicDialog, 0, shown<"基本设置">()),
      optionsPage(Pageoptions, optionsDialog, 1, shown<"选项">()),
      managePage(Pageoptions, manageDialog, 2, shown<"房间管理">()),
      mods(basicDialog, IDC_ROOM_MODS),
      Trackplayers(basicDialog, IDC_ROOM_TRACKPLAYERS, items::kPlayers.minimum,
                   items::kPlayers.maximum, items::kPlayers.position),
      lplayers(basicDialog, IDC_ROOM_LPLAYERS),
      Trackulimited(basicDialog, IDC_ROOM_TRACKULIMITED, items::kUnitLimit.minimum,
                    items::kUnitLimit.maximum, items::kUnitLimit.position),
      llimited(basicDialog, IDC_ROOM_LLIMITED),
      pwd(basicDialog, IDC_ROOM_PWD),
      gamecomments(basicDialog, IDC_ROOM_GAMECOMMENTS),
      RGcommander(optionsDialog, IDC_ROOM_RGCOMMANDER, IDC_ROOM_RGCOMMANDER + 1, items::commander(),
                  items::kCommanderDefault, 3),
      rglos(optionsDialog, IDC_ROOM_RGLOS, IDC_ROOM_RGLOS + 1, items::los(), items::kLosDefault, 3),
      RGcheat(optionsDialog, IDC_ROOM_RGCHEAT, IDC_ROOM_RGCHEAT + 1, items::forbidAllow(),
              items::kCheatDefault),
      RGMapmode(optionsDialog, IDC_ROOM_RGMAPMODE, IDC_ROOM_RGMAPMODE + 1, items::mapmode(),
                items::kMapmodeDefault),
      rgwatch(optionsDialog, IDC_ROOM_RGWATCH, IDC_ROOM_RGWATCH + 1, items::forbidAllow(),
              items::kWatchDefault),
      rgpos(optionsDialog, IDC_ROOM_RGPOS, IDC_ROOM_RGPOS + 1, items::startpos(),
            items::kStartposDefault),
      Trackmetal(optionsDialog, IDC_ROOM_TRACKMETAL, items::kMetal.minimum, items::kMetal.maximum,
                 items::kMetal.position),
      Lmetal(optionsDialog, IDC_ROOM_LMETAL),
      Trackenergy(optionsDialog, IDC_ROOM_TRACKENERGY, items::kEnergy.minimum,
                  items::kEnergy.maximum, items::kEnergy.position),
      Lenergy(optionsDialog, IDC_ROOM_LENERGY),
      BitBtn4(manageDialog, IDC_ROOM_BITBTN4),
      BitBtn1(dialog, IDC_ROOM_BITBTN1),
      BitBtn2(dialog, IDC_ROOM_BITBTN2),
      CheckBox1(dialog, IDC_ROOM_CHECKBOX1),
      BitBtn3(dialog, IDC_ROOM_BITBTN3),
      prompt(dialog, IDC_ROOM_PROMPT),
      Button1(dialog, IDC_ROOM_BUTTON1),
      MemRecev(dialog, IDC_ROOM_MEMRECEV, win32::MemoAccess::ReadOnly),
      MemSend(dialog, IDC_ROOM_MEMSEND) {
    const HWND self = dialog.handle();
    setClientSize(self, 632, 453);
    centre(self, owner);
    setProgramIcon(self);
    showHandCursor(banner.handle());
    win32::fitPicture(banner.handle());
    win32::fitPicture(dialog.item(IDC_ROOM_MINIMAP));
    gamecomments.setText(zh<"欢迎加入战斗">());
    layPagesOver(Pageoptions.handle(),
                 {basicDialog.handle(), optionsDialog.handle(), manageDialog.handle()});
    basicPage.activate();
}

room::BattleroomControls BattleroomWindow::controls() {
    return room::BattleroomControls{
        window,       MapList,  lvRoom,        basicPage, optionsPage, managePage,   mods,
        Trackplayers, lplayers, Trackulimited, llimited,  pwd,         gamecomments, RGcommander,
        rglos,        RGcheat,  RGMapmode,     rgwatch,   rgpos,       Trackmetal,   Lmetal,
        Trackenergy,  Lenergy,  BitBtn4,       BitBtn1,   BitBtn2,     CheckBox1,    BitBtn3,
        prompt,       Button1,  MemRecev,      MemSend};
}

}  // namespace ardentis::app
