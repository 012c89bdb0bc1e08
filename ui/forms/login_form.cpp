#include "ui/forms/login_form.h"

#include "text/literal.h"
#include "text/shown.h"
#include "ui/forms/client.h"

namespace ardentis::forms {

TFormLogin::TFormLogin(Client& client, LoginControls controls) : c(controls), client_(client) {
    c.window.onShow.set([this] { FormShow(); });
    c.BitBtn1.onClick.set([this] { BitBtn1Click(); });
    c.BitBtn2.onClick.set([this] { BitBtn2Click(); });
}

void TFormLogin::FormShow() {
    client_.FormMain.c.BitBtn1.setEnabled(false);
}

void TFormLogin::BitBtn1Click() {
    client_.FormMain.c.MemRecev.addLine(text::shown<"正在连接服务器，请稍候......">());
    c.BitBtn1.setEnabled(false);
    // The account and password are read from the boxes by the connect event.
    client_.FormMain.openSocket();
    c.window.hide();
}

void TFormLogin::BitBtn2Click() {
    c.window.hide();
    client_.FormMain.c.BitBtn1.setEnabled(true);
}

}  // namespace ardentis::forms
