#include "game/game_end.h"

#include "settings/system_helpers.h"
#include "text/literal.h"

namespace ardentis::game {
namespace {

constexpr std::size_t kNoticeBytes = 34;
constexpr int kStateColumn = 2;  // "准备"

bool anyRowInBattle(const forms::ListView& players) {
    for (int row = 0; row < players.rowCount(); ++row) {
        if (players.subItem(row, kStateColumn) == text::zh<"战斗">()) {
            return true;
        }
    }
    return false;
}

}  // namespace

text::Gbk returnNotice(const text::Gbk& account) {
    return (account + text::zh<"从战斗中返回。">()).left(kNoticeBytes);
}

bool checkGameEnd(const platform::GameWindows& windows, const text::Gbk& title, GameRoom& room,
                  platform::SystemInfo& system) {
    if (windows.findWindow(title) != platform::kNoWindow) {
        return true;
    }
    room.clearStartFlags();
    room.sendnotice(returnNotice(room.account()));
    if (!room.userIsHost()) {
        room.readyBox().setChecked(false);
    }
    room.readyBox().setEnabled(true);
    room.sendstate();
    if (!anyRowInBattle(room.players())) {
        room.setStatus(text::Gbk("0"));
    }
    room.sendroom();
    (void)settings::EnableTaskKeys(system);
    room.restoreWindowSizes();
    return false;
}

}  // namespace ardentis::game
