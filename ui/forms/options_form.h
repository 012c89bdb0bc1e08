#pragma once

#include "platform/os_error.h"
#include "text/gbk.h"
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
    // The virtual-LAN page: the machine's adapters read again, the one the chosen program
    // would use marked, and `picked` the address offered for "其他".
    void showNetwork(const text::Gbk& picked);
    void vnndetectClick();

    OptionsControls c;

  private:
    Client& client_;
};

}  // namespace ardentis::forms
