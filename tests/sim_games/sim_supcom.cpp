// Supreme Commander for the tests: started with the command line the client gives the game,
// it logs "start " and that line and shows a black window titled "Supreme Commander". A host
// (/hostgame) takes UDP port 5000 on the loopback address once its network game is up, trying
// again every 50 ms while something holds it: the client's port check binds the port on all
// addresses, which fails while any local address holds it, so loopback is enough to be seen.
// At game over the game closes itself (the client starts it with /exitongameover), as it
// does on the close message, and the port goes with it.
//
// Environment: ARDENTIS_SIM_SC_HOST_MS (start to port taken, default 500),
// ARDENTIS_SIM_SC_GAME_MS (start to game over, default 3000).
// Exit codes: 0 at game over or after the close message, 3 when the window cannot be made.
#include <winsock2.h>

#include "platform/win32/wide_text.h"
#include "tests/sim_games/sim_program.h"

namespace ardentis::sim {
namespace {

constexpr u_short kGamePort = 5000;
constexpr UINT kPortRetryMs = 50;
enum TimerId : UINT_PTR { kHostTimer = 1, kGameOverTimer = 2 };

class SupremeCommander {
  public:
    LRESULT route(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        switch (message) {
            case WM_TIMER:
                KillTimer(window, wParam);
                if (wParam == kHostTimer) {
                    takePort(window);
                } else {
                    logLine("game over");
                    close(window);
                }
                return 0;
            case WM_CLOSE:
                close(window);
                return 0;
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
            default:
                return DefWindowProcW(window, message, wParam, lParam);
        }
    }

  private:
    void takePort(HWND window) {
        port_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(kGamePort);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (port_ != INVALID_SOCKET &&
            bind(port_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
            logLine("port 5000 taken");
            return;
        }
        release();
        // Whoever checks the port binds it for a moment: a game that met such a check tries
        // again rather than give up hosting.
        SetTimer(window, kHostTimer, kPortRetryMs, nullptr);
    }
    void release() {
        if (port_ != INVALID_SOCKET) {
            closesocket(port_);
            port_ = INVALID_SOCKET;
        }
    }
    void close(HWND window) {
        release();
        logLine("closed");
        DestroyWindow(window);
    }

    SOCKET port_ = INVALID_SOCKET;
};

}  // namespace
}  // namespace ardentis::sim

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR commandLine,
                    int showCommand) {
    using namespace ardentis;
    const std::string line = platform::wideToGbkLossy(commandLine).bytes();
    sim::logLine("start " + line);
    WSADATA data{};
    (void)WSAStartup(MAKEWORD(2, 2), &data);
    sim::SupremeCommander game;
    HWND window = sim::openWindow(game, L"Supreme Commander", 0, 800, 600);
    if (window == nullptr) {
        return 3;
    }
    if (line.find("/hostgame") != std::string::npos) {
        SetTimer(window, sim::kHostTimer,
                 static_cast<UINT>(sim::fromEnvironment("ARDENTIS_SIM_SC_HOST_MS", 500)), nullptr);
    }
    SetTimer(window, sim::kGameOverTimer,
             static_cast<UINT>(sim::fromEnvironment("ARDENTIS_SIM_SC_GAME_MS", 3000)), nullptr);
    return sim::runWindow(window, showCommand);  // Winsock ends with the process
}
