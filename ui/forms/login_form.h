#pragma once

#include "ui/forms/login_controls.h"

namespace ardentis::forms {

class Client;

// The log-in window: an account, a password, and the button that connects.
class TFormLogin {
  public:
    TFormLogin(Client& client, LoginControls controls);

    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();

    LoginControls c;

  private:
    Client& client_;
};

}  // namespace ardentis::forms
