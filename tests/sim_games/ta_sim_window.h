#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/fake/simulated_total_annihilation.h"
#include "tests/sim_games/frame_bitmap.h"
#include "tests/sim_games/sim_log.h"

struct HWND__;
using HWND = HWND__*;

namespace ardentis::sim {

template <class Sim>
struct WindowProcedure;

// What the game does on its own after it has come to a screen.
struct TaTimings {
    int readyMs = 1500;   // battle room: the other players are all ready
    int battleMs = 1500;  // battle: it is over, the score screen shows
    // How often it puts itself back over other topmost windows, as a game on the whole
    // screen stays over them; 0 never.
    int onTopMs = 100;
};

// Total Annihilation's window: the model's screen painted at the top left of the client
// area, the model fed with the mouse-button messages, the close message, and the timed
// moves a real game makes by itself. Every click the game acts on and every screen it
// shows goes to the log. Lives on the thread that runs the message loop.
class TaSimWindow {
  public:
    // `log` is borrowed and outlives the window.
    TaSimWindow(platform::SimulatedTotalAnnihilation::Setup setup, bool hostAnswers,
                TaTimings timings, const SimLog& log);
    ~TaSimWindow();
    TaSimWindow(const TaSimWindow&) = delete;
    TaSimWindow& operator=(const TaSimWindow&) = delete;

    // Creates the window titled "Total Annihilation" with a client area of at least
    // 640 x 480 and shows it with the show command; false when the system refuses.
    [[nodiscard]] bool open(int showCommand);

  private:
    friend struct WindowProcedure<TaSimWindow>;

    std::intptr_t route(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void toGame(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    // Logs the clicks since `clicksBefore` and, if the screen changed, shows the new one.
    void noteChanges(platform::SimulatedTotalAnnihilation::Screen before, std::size_t clicksBefore);
    void showScreen();
    void paint();

    platform::SimulatedTotalAnnihilation game_;
    TaTimings timings_;
    const SimLog& log_;
    FrameBitmap frame_;
    HWND window_ = nullptr;
};

}  // namespace ardentis::sim
