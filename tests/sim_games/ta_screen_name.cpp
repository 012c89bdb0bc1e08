#include "tests/sim_games/ta_screen_name.h"

namespace ardentis::sim {

std::string_view screenName(platform::SimulatedTotalAnnihilation::Screen screen) {
    using Screen = platform::SimulatedTotalAnnihilation::Screen;
    switch (screen) {
        case Screen::Loading:
            return "loading";
        case Screen::MainMenu:
            return "mainmenu";
        case Screen::Multiplayer:
            return "multiplayer";
        case Screen::GameList:
            return "gamelist";
        case Screen::JoinFailed:
            return "joinfailed";
        case Screen::Connect:
            return "connect";
        case Screen::Battleroom:
            return "battleroom";
        case Screen::BattleroomReady:
            return "battleroomready";
        case Screen::Battle:
            return "battle";
        case Screen::Score:
            return "score";
    }
    return "unknown";
}

}  // namespace ardentis::sim
