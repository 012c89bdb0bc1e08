#pragma once

#include <memory>

#include "game/game_room.h"
#include "game/menu_automation.h"
#include "game/supcom_watcher.h"
#include "game/ta_watcher.h"
#include "room/battleroom_controls.h"
#include "room/room_window.h"
#include "text/gbk.h"

namespace ardentis::forms {

class Client;

// The battle room window: the room's players, options and chat, for host and joiners.
class TFormBattleroom final : public room::RoomWindow, public game::GameRoom {
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
    // The start record (4, 20), once per game, by the host only.
    void sendTAstart() override;
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

    // What the game objects do to the room (game::GameRoom).
    void clearStartFlags() override;
    void setStartGuard(bool on) override;
    [[nodiscard]] text::Gbk account() const override;
    [[nodiscard]] bool userIsHost() const override;
    [[nodiscard]] forms::CheckBox& readyBox() override { return c.CheckBox1; }
    [[nodiscard]] const forms::ListView& players() const override { return c.lvRoom; }
    void sendnotice(const text::Gbk& line) override;
    void sendstate() override;
    void sendroom() override;
    void setStatus(const text::Gbk& status) override;
    void restoreWindowSizes() override;

    room::BattleroomControls c;
    // The game objects, made with the window (FormCreate) and kept for the whole run.
    std::unique_ptr<game::TAutoClicker> autoClicker;
    std::unique_ptr<game::TTAHook> taHook;
    std::unique_ptr<game::TSPCHook> spcHook;
    // The game start's two flags: the start record went out for this game, and a start
    // is under way. Cleared at every showing.
    bool startSent = false;
    bool startGuard = false;

  private:
    void sendOptions(bool alsoRoom);
    // The game never opened its window: say why and put the room back as it was.
    void gameDidNotStart(bool host, const text::Gbk& why);
    // The virtual-LAN address read again just before a game: without one the game would
    // start and silently never meet the others. The host may go on with a LAN address.
    [[nodiscard]] bool vnnAddressForStart(bool host);

    Client& client_;
};

}  // namespace ardentis::forms
