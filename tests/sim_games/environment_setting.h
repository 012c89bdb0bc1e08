#pragma once

namespace ardentis::sim {

// The simulated games' knobs come from the environment, which a test sets before it starts
// them. A variable that is missing or not a number gives the fallback.
[[nodiscard]] int millisecondsFromEnvironment(const char* name, int fallback);
// "0" is off and any other value on.
[[nodiscard]] bool flagFromEnvironment(const char* name, bool fallback);

}  // namespace ardentis::sim
