#pragma once

#include "room/battleroom_controls.h"
#include "room/room_window.h"

namespace ardentis::forms {

class Client;

// The battle room window: the room's players, options and chat, for host and joiners.
class TFormBattleroom final : public room::RoomWindow {
public:
    TFormBattleroom(Client& client, room::BattleroomControls controls);

    void FormCreate();
    void FormShow();
    void FormHide();
    [[nodiscard]] bool FormCloseQuery() const { return false; }

    void setcreatestatus() override;
    void setjoinstatus() override;

    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void CheckBox1Click();
    void MemSendKeyDown(int key);
    void lvRoomClick();
    void RGcommanderClick();
    void rglosClick();
    void rgposClick();
    void rgwatchClick();
    void RGcheatClick();
    void RGMapmodeClick();
    void TrackmetalChange();
    void TrackenergyChange();
    void TrackulimitedChange();
    void trackerlimitedChange();
    void modsChange();
    void gamecommentsChange();
    void pwdChange();
    void ComboBox1Change();

    room::BattleroomControls c;
    // The game start's two flags: the start record went out for this game, and a start
    // is under way. Cleared at every showing.
    bool startSent = false;
    bool startGuard = false;

private:
    [[nodiscard]] bool userIsHost() const;
    void sendOptions(bool alsoRoom);

    Client& client_;
};

}  // namespace ardentis::forms
