// Total Annihilation for the tests: started with "-c NAME", NAME a launch file in its own
// directory, it shows the portable model's menu screens in a real window (topmost, as the real
// game's exclusive full screen), takes the mouse-button and close messages and makes the real
// game's own moves. Every click it acts on and every screen it shows goes to simgame.log.
// Environment: ARDENTIS_SIM_TA_READY_MS (battle room until everyone is ready, default 1500),
// ARDENTIS_SIM_TA_BATTLE_MS (battle until the score screen, default 1500),
// ARDENTIS_SIM_TA_SCREEN (the screen it starts at, in the model's order; default connect).
// Exit codes: 0 after the close message, 2 without a readable launch file, 3 without a window.
#include <string>

#include "platform/fake/simulated_total_annihilation.h"
#include "platform/file_system.h"
#include "platform/win32/dib_section.h"
#include "platform/win32/wide_text.h"
#include "tests/sim_games/sim_program.h"

namespace ardentis::sim {
namespace {

using Game = platform::SimulatedTotalAnnihilation;
using Screen = Game::Screen;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
enum TimerId : UINT_PTR { kReadyTimer = 1, kBattleTimer = 2, kOnTopTimer = 3 };

// The screens' names in simgame.log, in the order of Screen.
constexpr const char* kScreenNames[] = {"loading",    "mainmenu", "multiplayer", "gamelist",
                                        "joinfailed", "connect",  "battleroom",  "battleroomready",
                                        "battle",     "score"};

class TotalAnnihilation {
  public:
    explicit TotalAnnihilation(Game::Setup setup) : game_(std::move(setup)) {
        if (const UINT screen = fromEnvironment("ARDENTIS_SIM_TA_SCREEN", 99); screen < 99) {
            game_.show(static_cast<Screen>(screen));
        }
        showScreen(nullptr);  // whoever finds the window finds its first screen in the log
    }

    LRESULT route(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        const Screen before = game_.screen();
        const std::size_t clicks = game_.clicks().size();
        switch (message) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
                (void)game_.handle(message, wParam, lParam);  // only the close message ends it
                break;
            case WM_CLOSE:
                if (!game_.handle(platform::kWmClose, wParam, lParam)) {
                    logLine("closed");
                    DestroyWindow(window);
                }
                return 0;
            case WM_TIMER:
                if (wParam == kOnTopTimer) {
                    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                    return 0;
                }
                KillTimer(window, wParam);
                if (wParam == kReadyTimer) {
                    game_.everyoneReady();
                } else if (before == Screen::Battle) {
                    game_.endBattle();
                }
                break;
            case WM_ERASEBKGND:
                return 1;  // the paint covers the whole client area
            case WM_PAINT:
                paint(window);
                return 0;
            default:
                return DefWindowProcW(window, message, wParam, lParam);
        }
        for (std::size_t i = clicks; i < game_.clicks().size(); ++i) {
            const auto at = game_.clicks()[i];
            logLine("click " + std::to_string(at.x) + "," + std::to_string(at.y));
        }
        if (game_.screen() != before) {
            showScreen(window);
        }
        return 0;
    }

  private:
    // Logs the screen, starts the game's own move from it and paints it before the message
    // that changed it returns, so that a reader that sent it finds the new screen at its
    // next look.
    void showScreen(HWND window) {
        logLine(std::string("screen ") + kScreenNames[static_cast<int>(game_.screen())]);
        if (window != nullptr &&
            (game_.screen() == Screen::Battleroom || game_.screen() == Screen::Battle)) {
            const bool ready = game_.screen() == Screen::Battleroom;
            SetTimer(window, ready ? kReadyTimer : kBattleTimer, ready ? readyMs_ : battleMs_,
                     nullptr);
        }
        GdiFlush();  // no blit from the frame may still be pending while its pixels change
        for (int y = 0; y < kHeight && frame_.ready(); ++y) {
            for (int x = 0; x < kWidth; ++x) {
                frame_.set(x, y, game_.pixel({x, y}));
            }
        }
        if (window != nullptr) {
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
        }
    }
    // The frame at the top left; a maximised window is larger, and the rest is black.
    void paint(HWND window) {
        PAINTSTRUCT paintStruct{};
        HDC dc = BeginPaint(window, &paintStruct);
        BitBlt(dc, 0, 0, kWidth, kHeight, frame_.dc(), 0, 0, SRCCOPY);
        RECT client{};
        GetClientRect(window, &client);
        ExcludeClipRect(dc, 0, 0, kWidth, kHeight);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(window, &paintStruct);
    }

    Game game_;
    UINT readyMs_ = fromEnvironment("ARDENTIS_SIM_TA_READY_MS", 1500);
    UINT battleMs_ = fromEnvironment("ARDENTIS_SIM_TA_BATTLE_MS", 1500);
    platform::DibSection frame_{kWidth, kHeight};
};

}  // namespace
}  // namespace ardentis::sim

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR commandLine,
                    int showCommand) {
    using namespace ardentis;
    const platform::SystemFileSystem files;
    const auto directory = files.executableDirectory();
    const auto parameters = platform::wideToGbk(commandLine);
    // The directory with its separator stands for the executable: only its directory counts.
    auto setup = directory && parameters ? sim::Game::readLaunchFile(files, *directory, *parameters)
                                         : std::nullopt;
    if (!setup) {
        return 2;
    }
    sim::logLine(std::string("start host=") + (setup->host ? "1" : "0") +
                 " player=" + setup->player.bytes() + " address=" + setup->address.bytes());
    sim::TotalAnnihilation game(*std::move(setup));
    HWND window =
        sim::openWindow(game, L"Total Annihilation", WS_EX_TOPMOST, sim::kWidth, sim::kHeight);
    // Every 100 ms back over other topmost windows, as a game on the whole screen stays.
    SetTimer(window, sim::kOnTopTimer, 100, nullptr);
    return sim::runWindow(window, showCommand);
}
