// Supreme Commander for the tests: started with the command line the client gives the
// game, it shows a window titled "Supreme Commander"; a host takes UDP port 5000 (on the
// loopback address, trying again every 50 ms while something holds it) once its network
// game is up, and the game closes itself at game over.
//
// Environment: ARDENTIS_SIM_SC_HOST_MS (start to port taken, default 500),
// ARDENTIS_SIM_SC_GAME_MS (start to game over, default 3000).
// Exit codes: 0 at game over or after the close message, 3 when the window cannot be made.
#include <windows.h>

#include <string>

#include "platform/win32/wide_text.h"
#include "tests/sim_games/environment_setting.h"
#include "tests/sim_games/sc_command_line.h"
#include "tests/sim_games/sc_sim_window.h"
#include "tests/sim_games/sim_log.h"
#include "tests/sim_games/window_procedure.h"

namespace {

constexpr int kNoWindow = 3;

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR commandLine,
                    int showCommand) {
    using namespace ardentis;
    const sim::SimLog log;
    const auto line = platform::wideToGbkLossy(commandLine);
    const sim::ScCommandLine parsed = sim::parseScCommandLine(line.view());
    log.line(std::string("start host=") + (parsed.host ? "1" : "0") + " player=" + parsed.player +
             " address=" + parsed.address);
    const sim::ScTimings timings{sim::millisecondsFromEnvironment("ARDENTIS_SIM_SC_HOST_MS", 500),
                                 sim::millisecondsFromEnvironment("ARDENTIS_SIM_SC_GAME_MS", 3000)};
    sim::ScSimWindow window(parsed.host, timings, log);
    if (!window.open(showCommand)) {
        return kNoWindow;
    }
    return sim::runMessageLoop();
}
