#pragma once

#include <string_view>

#include "tests/sim_games/recorder_mapping.h"

namespace ardentis::sim {

// The simulated recorder's start arguments: "state=N", "players=NAME,NAME,..." (slots 1, 2,
// ... in order), "allied=I,J,..." (those slots allied with player 1). False for anything else.
[[nodiscard]] bool applyArgument(RecorderMapping& mapping, std::string_view argument);

// One line of its standard input: "state N", "player I NAME" (no NAME empties the slot),
// "allied I 0|1". False for a line that is none of these.
[[nodiscard]] bool applyCommand(RecorderMapping& mapping, std::string_view line);

}  // namespace ardentis::sim
