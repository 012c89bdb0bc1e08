#pragma once

#include <string_view>

#include "platform/fake/simulated_total_annihilation.h"

namespace ardentis::sim {

// The screen's name in simgame.log: loading, mainmenu, multiplayer, gamelist, joinfailed,
// connect, battleroom, battleroomready, battle, score.
[[nodiscard]] std::string_view screenName(platform::SimulatedTotalAnnihilation::Screen screen);

}  // namespace ardentis::sim
