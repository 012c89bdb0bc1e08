#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/main_window.h"

#include "app/resource.h"
#include "app/window_layout.h"
#include "platform/win32/wide_text.h"
#include "text/literal.h"
#include "text/shown.h"
#include "ui/win32/fitted_picture.h"

namespace ardentis::app {
namespace {

using text::shown;
using text::zh;

constexpr std::uint32_t kRed = 0x000000FF;  // COLORREF: 0x00BBGGRR

// Widths in dialog units; the users' list is 161 pixels wide.
std::vector<win32::ListColumn> lobbyColumns() {
    return {{shown<"帐号">(), 36}, {shown<"昵称">(), 36}, {shown<"位置">(), 31}};
}

std::vector<win32::ListColumn> roomColumns() {
    return {{shown<"房号">(), 92},    {shown<"装态">(), 30}, {shown<"房间说明">(), 60},
            {shown<"MOD名称">(), 46}, {shown<"地图">(), 50}, {shown<"人数">(), 24},
            {shown<"密码">(), 24},    {shown<"房主">(), 40}, {shown<"虚拟网络">(), 40}};
}

}  // namespace

MainWindow::MainWindow()
    : dialog(IDD_MAIN),
      chatDialog(IDD_MAIN_CHAT, dialog),
      window(dialog),
      bsSkinLinkImage1(dialog, IDC_MAIN_BANNER),
      lver(dialog, IDC_MAIN_LVER),
      prompt(dialog, IDC_MAIN_PROMPT),
      vnnstatus(dialog, IDC_MAIN_VNNSTATUS),
      BitBtn1(dialog, IDC_MAIN_BITBTN1),
      BitBtn2(dialog, IDC_MAIN_BITBTN2),
      BitBtn3(dialog, IDC_MAIN_BITBTN3),
      BitBtn4(dialog, IDC_MAIN_BITBTN4),
      lvlobby(dialog, IDC_MAIN_LVLOBBY, lobbyColumns()),
      lvrooms(dialog, IDC_MAIN_LVROOMS, roomColumns()),
      PageControl2(dialog, IDC_MAIN_PAGECONTROL2),
      TabSheet2(PageControl2, chatDialog, 0, shown<"大厅">()),
      MemRecev(chatDialog, IDC_MAIN_MEMRECEV, win32::MemoAccess::ReadOnly),
      MemSend(chatDialog, IDC_MAIN_MEMSEND),
      roomMod(dialog, IDC_MAIN_ROOMMOD),
      joinable(dialog, IDC_MAIN_JOINABLE),
      noPassword(dialog, IDC_MAIN_NOPASSWORD),
      roomSearch(dialog, IDC_MAIN_ROOMSEARCH),
      userSearch(dialog, IDC_MAIN_USERSEARCH) {
    const HWND self = dialog.handle();
    setClientSize(self, 792, 573);
    centre(self);
    setProgramIcon(self);
    colourStaticText(self, IDC_MAIN_PROMPT, kRed);
    showHandCursor(bsSkinLinkImage1.handle());
    win32::fitPicture(bsSkinLinkImage1.handle());
    layPagesOver(PageControl2.handle(), {chatDialog.handle()});
    TabSheet2.activate();
    setHeight(MemSend.handle(), 22);
    // The user search has no label of its own: the box says what it is for while empty.
    const std::wstring cue = platform::gbkToWideLossy(shown<"搜索用户">().view());
    SendMessageW(userSearch.handle(), EM_SETCUEBANNER, FALSE,
                 reinterpret_cast<LPARAM>(cue.c_str()));
}

forms::MainControls MainWindow::controls() {
    return forms::MainControls{window,     bsSkinLinkImage1, lver,      prompt,  vnnstatus,
                               BitBtn1,    BitBtn2,          BitBtn3,   BitBtn4, lvlobby,
                               lvrooms,    MemRecev,         MemSend,   roomMod, joinable,
                               noPassword, roomSearch,       userSearch};
}

}  // namespace ardentis::app
