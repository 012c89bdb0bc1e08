#pragma once

#include "controls/check_box.h"
#include "controls/list_view.h"
#include "text/gbk.h"

namespace ardentis::game {

// What the game objects need of the battle room window and of the user's current room.
// The room operations do nothing while the user is in no room.
class GameRoom {
  public:
    virtual ~GameRoom() = default;

    // The start record, sent at most once per game (the room's own guard).
    virtual void sendTAstart() = 0;
    // The game start's two flags: cleared when a game ends; the start guard also set by the
    // Supreme Commander watcher whenever the game's port is taken.
    virtual void clearStartFlags() = 0;
    virtual void setStartGuard(bool on) = 0;

    [[nodiscard]] virtual text::Gbk account() const = 0;
    [[nodiscard]] virtual bool userIsHost() const = 0;
    [[nodiscard]] virtual forms::CheckBox& readyBox() = 0;             // CheckBox1
    [[nodiscard]] virtual const forms::ListView& players() const = 0;  // lvRoom

    virtual void sendnotice(const text::Gbk& line) = 0;
    virtual void sendstate() = 0;
    virtual void sendroom() = 0;
    virtual void setStatus(const text::Gbk& status) = 0;
    // Back to 800 x 600 (lobby window) and 640 x 480 (battle room window).
    virtual void restoreWindowSizes() = 0;
};

}  // namespace ardentis::game
