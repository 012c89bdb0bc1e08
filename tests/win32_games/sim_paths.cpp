#include "tests/win32_games/sim_paths.h"

#include "platform/file_append.h"

namespace ardentis::testing {

std::filesystem::path simProgram(std::string_view fileName) {
    // ARDENTIS_SIM_GAMES_DIR: the simulated programs' build directory relative to this one.
    return (platform::executableDirectory() / ARDENTIS_SIM_GAMES_DIR / fileName).lexically_normal();
}

}  // namespace ardentis::testing
