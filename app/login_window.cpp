#include "app/login_window.h"

#include "app/resource.h"
#include "app/window_layout.h"

namespace ardentis::app {

LoginWindow::LoginWindow(HWND owner)
    : dialog(IDD_LOGIN, owner),
      window(dialog),
      usr(dialog, IDC_LOGIN_USR),
      pwd(dialog, IDC_LOGIN_PWD, win32::EditEcho::Masked),
      BitBtn1(dialog, IDC_LOGIN_BITBTN1),
      BitBtn2(dialog, IDC_LOGIN_BITBTN2) {
    setClientSize(dialog.handle(), 186, 119);
    centre(dialog.handle(), owner);
    closeInputMethod(usr.handle());
    disableInputMethod(pwd.handle());
    focusOnActivate(dialog.handle(), usr.handle());
}

forms::LoginControls LoginWindow::controls() {
    return forms::LoginControls{window, usr, pwd, BitBtn1, BitBtn2};
}

}  // namespace ardentis::app
