// Supreme Commander for the tests: logs "start " and its command line and shows a black window.
// A host (/hostgame) takes UDP port 5000 on loopback once its game is up (the client's check
// binds it on all addresses, which fails while any local one holds it), trying again every
// 50 ms while something holds it. At game over (/exitongameover) or on the close message it
// closes, the port with it: exit code 0 (3 without a window). Environment:
// ARDENTIS_SIM_SC_HOST_MS (to the port taken, 500), ARDENTIS_SIM_SC_GAME_MS (to game over, 3000).
#include <winsock2.h>

#include "platform/win32/wide_text.h"
#include "tests/sim_games/sim_program.h"

namespace ardentis::sim {
namespace {

constexpr u_short kGamePort = 5000;
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
        release();  // a check binds the port for a moment: the game tries again
        SetTimer(window, kHostTimer, 50, nullptr);
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
    if (line.find("/hostgame") != std::string::npos) {
        SetTimer(window, sim::kHostTimer, sim::fromEnvironment("ARDENTIS_SIM_SC_HOST_MS", 500),
                 nullptr);
    }
    SetTimer(window, sim::kGameOverTimer, sim::fromEnvironment("ARDENTIS_SIM_SC_GAME_MS", 3000),
             nullptr);
    return sim::runWindow(window, showCommand);  // Winsock ends with the process
}
