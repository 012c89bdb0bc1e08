#pragma once

#include "platform/os_error.h"
#include "ui/forms/options_controls.h"

namespace ardentis::forms {

class Client;

// The options window: edits the stored settings and tests the server connection with a
// socket of its own.
class TFormOptions {
  public:
    TFormOptions(Client& client, OptionsControls controls);

    void FormCreate();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void bitbtnspcdirClick();
    void BitBtn4Click();
    void Nettest();
    void ClientSocket1Connect();
    void ClientSocket1Error(const platform::OsError& error);

    OptionsControls c;

  private:
    Client& client_;
};

}  // namespace ardentis::forms
