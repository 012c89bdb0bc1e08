#pragma once

#include <cstdint>

#include "tests/sim_games/game_port.h"
#include "tests/sim_games/sim_log.h"

struct HWND__;
using HWND = HWND__*;

namespace ardentis::sim {

template <class Sim>
struct WindowProcedure;

// When the hosting game's network game comes up and when the game is over, counted from
// the start.
struct ScTimings {
    int hostMs = 500;
    int gameMs = 3000;
};

// Supreme Commander's window: black, titled "Supreme Commander". A host takes UDP port 5000
// once its network game is up (trying again while something else holds it); at game over the window
// closes by itself (the client starts it with /exitongameover), as it does on the close message,
// and the port goes with it.
class ScSimWindow {
  public:
    static constexpr std::uint16_t kGamePort = 5000;

    // `log` is borrowed and outlives the window.
    ScSimWindow(bool host, ScTimings timings, const SimLog& log);
    ~ScSimWindow();
    ScSimWindow(const ScSimWindow&) = delete;
    ScSimWindow& operator=(const ScSimWindow&) = delete;

    [[nodiscard]] bool open(int showCommand);

  private:
    friend struct WindowProcedure<ScSimWindow>;

    std::intptr_t route(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void takePort();
    void close();

    bool host_;
    ScTimings timings_;
    const SimLog& log_;
    GamePort port_;
    bool portWasBusy_ = false;
    HWND window_ = nullptr;
};

}  // namespace ardentis::sim
