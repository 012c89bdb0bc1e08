// Total Annihilation for the tests: started as the client starts the game, "-c NAME" with
// NAME a launch file in its own directory, it shows the menu screens of the portable model
// in a real window and makes the moves the real game makes on its own.
//
// Environment: ARDENTIS_SIM_TA_READY_MS (battle room until everyone is ready, default 1500),
// ARDENTIS_SIM_TA_BATTLE_MS (battle until the score screen, default 1500),
// ARDENTIS_SIM_TA_HOST_ANSWERS ("0": a joiner's join never reaches the host),
// ARDENTIS_SIM_TA_ON_TOP_MS (how often it puts itself back over other topmost windows,
// default 100; 0 never).
// Exit codes: 0 after the close message, 2 without a readable launch file (no window),
// 3 when the window cannot be made.
#include <windows.h>

#include <string>

#include "platform/file_system.h"
#include "platform/win32/wide_text.h"
#include "tests/sim_games/environment_setting.h"
#include "tests/sim_games/sim_log.h"
#include "tests/sim_games/ta_sim_window.h"
#include "tests/sim_games/window_procedure.h"

namespace {

constexpr int kNoLaunchFile = 2;
constexpr int kNoWindow = 3;

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR commandLine,
                    int showCommand) {
    using namespace ardentis;
    const sim::SimLog log;
    const platform::SystemFileSystem files;
    const auto directory = files.executableDirectory();
    const auto parameters = platform::wideToGbk(commandLine);
    if (!directory || !parameters) {
        return kNoLaunchFile;
    }
    // The directory with its separator stands for the executable: only its directory counts.
    auto setup =
        platform::SimulatedTotalAnnihilation::readLaunchFile(files, *directory, *parameters);
    if (!setup) {
        return kNoLaunchFile;
    }
    log.line(std::string("start host=") + (setup->host ? "1" : "0") +
             " player=" + setup->player.bytes() + " address=" + setup->address.bytes());
    const bool hostAnswers =
        !setup->address.empty() && sim::flagFromEnvironment("ARDENTIS_SIM_TA_HOST_ANSWERS", true);
    const sim::TaTimings timings{
        sim::millisecondsFromEnvironment("ARDENTIS_SIM_TA_READY_MS", 1500),
        sim::millisecondsFromEnvironment("ARDENTIS_SIM_TA_BATTLE_MS", 1500),
        sim::millisecondsFromEnvironment("ARDENTIS_SIM_TA_ON_TOP_MS", 100)};
    sim::TaSimWindow window(*std::move(setup), hostAnswers, timings, log);
    if (!window.open(showCommand)) {
        return kNoWindow;
    }
    return sim::runMessageLoop();
}
