#include <windows.h>

#include <string>

#include "tests/sim_games/ta_screen_name.h"
#include "tests/sim_games/ta_sim_window.h"
#include "tests/sim_games/window_procedure.h"

namespace ardentis::sim {
namespace {

using Screen = platform::SimulatedTotalAnnihilation::Screen;

constexpr const wchar_t* kClassName = L"ArdentisSimTotalAnnihilation";
constexpr int kWidth = 640;
constexpr int kHeight = 480;

enum TimerId : UINT_PTR { kReadyTimer = 1, kBattleTimer = 2, kOnTopTimer = 3 };

}  // namespace

TaSimWindow::TaSimWindow(platform::SimulatedTotalAnnihilation::Setup setup, bool hostAnswers,
                         TaTimings timings, const SimLog& log)
    : game_(std::move(setup)), timings_(timings), log_(log), frame_(kWidth, kHeight) {
    game_.setHostAnswers(hostAnswers);
}

TaSimWindow::~TaSimWindow() {
    if (window_ != nullptr && IsWindow(window_) != FALSE) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool TaSimWindow::open(int showCommand) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure<TaSimWindow>::call;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassW(&windowClass) == 0 || !frame_.ready()) {
        return false;
    }
    RECT outer{0, 0, kWidth, kHeight};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    frame_.draw(game_);
    // Logged first: whoever finds the window finds its first screen in the log.
    log_.line(std::string("screen ") + std::string(screenName(game_.screen())));
    // Topmost, as DirectDraw's exclusive full screen makes the real game's window.
    if (CreateWindowExW(WS_EX_TOPMOST, kClassName, L"Total Annihilation", WS_OVERLAPPEDWINDOW,
                        CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                        outer.bottom - outer.top, nullptr, nullptr, windowClass.hInstance,
                        this) == nullptr) {
        return false;
    }
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    if (timings_.onTopMs > 0) {
        SetTimer(window_, kOnTopTimer, static_cast<UINT>(timings_.onTopMs), nullptr);
    }
    return true;
}

std::intptr_t TaSimWindow::route(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            toGame(message, wParam, lParam);
            return 0;
        case WM_CLOSE:
            if (!game_.handle(platform::kWmClose, wParam, lParam)) {
                log_.line("closed");
                DestroyWindow(window_);
            }
            return 0;
        case WM_DESTROY:
            KillTimer(window_, kReadyTimer);
            KillTimer(window_, kBattleTimer);
            KillTimer(window_, kOnTopTimer);
            PostQuitMessage(0);
            return 0;
        case WM_TIMER: {
            if (wParam == kOnTopTimer) {
                SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                return 0;
            }
            KillTimer(window_, wParam);
            const Screen before = game_.screen();
            if (wParam == kReadyTimer) {
                game_.everyoneReady();
            } else if (wParam == kBattleTimer && before == Screen::Battle) {
                game_.endBattle();
            }
            noteChanges(before, game_.clicks().size());
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the paint covers the whole client area
        case WM_PAINT:
            paint();
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void TaSimWindow::toGame(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    const Screen before = game_.screen();
    const std::size_t clicksBefore = game_.clicks().size();
    (void)game_.handle(message, wParam, lParam);  // only the close message ends the game
    noteChanges(before, clicksBefore);
}

void TaSimWindow::noteChanges(Screen before, std::size_t clicksBefore) {
    const auto& clicks = game_.clicks();
    for (std::size_t i = clicksBefore; i < clicks.size(); ++i) {
        log_.line("click " + std::to_string(clicks[i].x) + "," + std::to_string(clicks[i].y));
    }
    if (game_.screen() != before) {
        showScreen();
    }
}

void TaSimWindow::showScreen() {
    log_.line(std::string("screen ") + std::string(screenName(game_.screen())));
    if (game_.screen() == Screen::Battleroom) {
        SetTimer(window_, kReadyTimer, static_cast<UINT>(timings_.readyMs), nullptr);
    } else if (game_.screen() == Screen::Battle) {
        SetTimer(window_, kBattleTimer, static_cast<UINT>(timings_.battleMs), nullptr);
    }
    // Painted before the message that changed the screen returns, so a reader that sent it
    // finds the new screen at its next look.
    frame_.draw(game_);
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
}

void TaSimWindow::paint() {
    PAINTSTRUCT paintStruct{};
    HDC dc = BeginPaint(window_, &paintStruct);
    frame_.paint(dc);
    // A maximised window is larger than the game's picture; the rest is black.
    RECT client{};
    GetClientRect(window_, &client);
    const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const RECT right{kWidth, 0, client.right, client.bottom};
    const RECT below{0, kHeight, kWidth, client.bottom};
    if (right.left < right.right) {
        FillRect(dc, &right, black);
    }
    if (below.top < below.bottom) {
        FillRect(dc, &below, black);
    }
    EndPaint(window_, &paintStruct);
}

}  // namespace ardentis::sim
