#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <vector>

#include "app/options_window.h"

#include "app/resource.h"
#include "app/window_layout.h"
#include "text/literal.h"
#include "text/shown.h"
#include "ui/forms/control_texts.h"

namespace ardentis::app {

using text::shown;
using text::zh;
using win32::EditEcho;

namespace {

// Widths in dialog units; the list is 199 wide and scrolls for long driver names.
std::vector<win32::ListColumn> adapterColumns() {
    const std::vector<text::Gbk> captions = forms::options_items::adapterColumns();
    constexpr int kWidths[] = {52, 62, 30, 24, 88};
    std::vector<win32::ListColumn> columns;
    columns.reserve(captions.size());
    for (std::size_t index = 0; index < captions.size(); ++index) {
        columns.push_back({captions[index], kWidths[index]});
    }
    return columns;
}

}  // namespace

OptionsWindow::OptionsWindow(HWND owner)
    : dialog(IDD_OPTIONS, owner),
      accountDialog(IDD_OPT_ACCOUNT, dialog),
      loginDialog(IDD_OPT_LOGIN, dialog),
      networkDialog(IDD_OPT_NETWORK, dialog),
      gameDialog(IDD_OPT_GAME, dialog),
      vnnDialog(IDD_OPT_VNN, dialog),
      notifyDialog(IDD_OPT_NOTIFY, dialog),
      window(dialog),
      PageControl1(dialog, IDC_OPT_PAGECONTROL1),
      TabSheet2(PageControl1, accountDialog, 0, shown<"帐号">(), false),
      TabSheet1(PageControl1, loginDialog, 1, shown<"登录">()),
      TabSheet3(PageControl1, networkDialog, 2, shown<"网络">()),
      TabSheet4(PageControl1, gameDialog, 3, shown<"游戏">()),
      TabSheet5(PageControl1, vnnDialog, 4, shown<"虚拟网络">()),
      pwd1(accountDialog, IDC_OPT_PWD1, EditEcho::Masked),
      pwd2(accountDialog, IDC_OPT_PWD2, EditEcho::Masked),
      pwd3(accountDialog, IDC_OPT_PWD3, EditEcho::Masked),
      nick(accountDialog, IDC_OPT_NICK),
      usr(loginDialog, IDC_OPT_USR),
      pwd(loginDialog, IDC_OPT_PWD, EditEcho::Masked),
      cbauto(loginDialog, IDC_OPT_CBAUTO),
      host(networkDialog, IDC_OPT_HOST),
      port(networkDialog, IDC_OPT_PORT),
      BitBtn4(networkDialog, IDC_OPT_BITBTN4),
      TADir(gameDialog, IDC_OPT_TADIR),
      BitBtn3(gameDialog, IDC_OPT_BITBTN3),
      SPCDir(gameDialog, IDC_OPT_SPCDIR),
      bitbtnspcdir(gameDialog, IDC_OPT_BITBTNSPCDIR),
      checkfile(gameDialog, IDC_OPT_CHECKFILE),
      rgvnntype(vnnDialog, IDC_OPT_RGVNNTYPE, IDC_OPT_RGVNNTYPE + 1,
                forms::options_items::vnntypes(), 0, 3),
      BitBtn1(dialog, IDC_OPT_BITBTN1),
      BitBtn2(dialog, IDC_OPT_BITBTN2),
      tls(networkDialog, IDC_OPT_TLS),
      tlsport(networkDialog, IDC_OPT_TLSPORT),
      adapters(vnnDialog, IDC_OPT_ADAPTERS, adapterColumns()),
      vnnaddr(vnnDialog, IDC_OPT_VNNADDR),
      vnndetect(vnnDialog, IDC_OPT_VNNDETECT),
      vnnfound(vnnDialog, IDC_OPT_VNNFOUND),
      language(loginDialog, IDC_OPT_LANGUAGE, forms::options_items::languages(), 0),
      notifyPage(PageControl1, notifyDialog, 5, shown<"提醒">()),
      comeAndGo(notifyDialog, IDC_OPT_COMEANDGO),
      roomFull(notifyDialog, IDC_OPT_ROOMFULL),
      allReady(notifyDialog, IDC_OPT_ALLREADY),
      gameStart(notifyDialog, IDC_OPT_GAMESTART),
      mention(notifyDialog, IDC_OPT_MENTION),
      sound(notifyDialog, IDC_OPT_SOUND),
      tray(notifyDialog, IDC_OPT_TRAY) {
    const HWND self = dialog.handle();
    // Taller than the first layout, so that the adapter list fits under the choice, and wider
    // with narrower margins in the tabs, so that the six pages' tabs fit in one row in either
    // language (the tab control lays its row out again when its font is set).
    setClientSize(self, 372, 334);
    const HWND tabs = PageControl1.handle();
    const int dpi = static_cast<int>(win32::windowDpi(self));
    SendMessageW(tabs, TCM_SETPADDING, 0, MAKELPARAM(MulDiv(2, dpi, 96), MulDiv(3, dpi, 96)));
    SendMessageW(tabs, WM_SETFONT, static_cast<WPARAM>(SendMessageW(tabs, WM_GETFONT, 0, 0)), TRUE);
    centre(self, owner);
    // The account page's tab is not there yet; the row of the other four gives the area.
    layPagesOver(PageControl1.handle(),
                 {accountDialog.handle(), loginDialog.handle(), networkDialog.handle(),
                  gameDialog.handle(), vnnDialog.handle(), notifyDialog.handle()});
    TabSheet5.activate();
    noteFont_ = smallerFont(dialog.font(), 11, win32::windowDpi(self));
    SendMessageW(vnnDialog.item(IDC_OPT_MEMO1), WM_SETFONT,
                 reinterpret_cast<WPARAM>(noteFont_.get()), FALSE);
}

forms::OptionsControls OptionsWindow::controls() {
    const forms::NotifyControls notify{notifyPage, comeAndGo, roomFull, allReady,
                                       gameStart,  mention,   sound,    tray};
    return forms::OptionsControls{
        window, TabSheet2, TabSheet1, TabSheet3,    TabSheet4, TabSheet5, pwd1,     pwd2,
        pwd3,   nick,      usr,       pwd,          cbauto,    host,      port,     BitBtn4,
        TADir,  BitBtn3,   SPCDir,    bitbtnspcdir, checkfile, rgvnntype, BitBtn1,  BitBtn2,
        tls,    tlsport,   adapters,  vnnaddr,      vnndetect, vnnfound,  language, notify};
}

}  // namespace ardentis::app
