#include <windows.h>

#include <string>

#include "tests/sim_games/sc_sim_window.h"
#include "tests/sim_games/window_procedure.h"

namespace ardentis::sim {
namespace {

constexpr const wchar_t* kClassName = L"ArdentisSimSupremeCommander";

enum TimerId : UINT_PTR { kHostTimer = 1, kGameOverTimer = 2 };
constexpr UINT kPortRetryMs = 50;

}  // namespace

ScSimWindow::ScSimWindow(bool host, ScTimings timings, const SimLog& log)
    : host_(host), timings_(timings), log_(log) {}

ScSimWindow::~ScSimWindow() {
    if (window_ != nullptr && IsWindow(window_) != FALSE) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool ScSimWindow::open(int showCommand) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure<ScSimWindow>::call;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    if (RegisterClassW(&windowClass) == 0) {
        return false;
    }
    if (CreateWindowExW(0, kClassName, L"Supreme Commander", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 800, 600, nullptr, nullptr, windowClass.hInstance,
                        this) == nullptr) {
        return false;
    }
    if (host_) {
        SetTimer(window_, kHostTimer, static_cast<UINT>(timings_.hostMs), nullptr);
    }
    SetTimer(window_, kGameOverTimer, static_cast<UINT>(timings_.gameMs), nullptr);
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    return true;
}

std::intptr_t ScSimWindow::route(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
        case WM_TIMER:
            KillTimer(window_, wParam);
            if (wParam == kHostTimer) {
                takePort();
            } else if (wParam == kGameOverTimer) {
                log_.line("game over");
                close();
            }
            return 0;
        case WM_CLOSE:
            close();
            return 0;
        case WM_DESTROY:
            KillTimer(window_, kHostTimer);
            KillTimer(window_, kGameOverTimer);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void ScSimWindow::takePort() {
    if (port_.take(kGamePort)) {
        log_.line("port " + std::to_string(kGamePort) + " taken");
        return;
    }
    // Whoever checks the port binds it for a moment; a game that met such a check tries
    // again rather than give up hosting.
    if (!portWasBusy_) {
        log_.line("port " + std::to_string(kGamePort) + " busy");
        portWasBusy_ = true;
    }
    SetTimer(window_, kHostTimer, kPortRetryMs, nullptr);
}

void ScSimWindow::close() {
    port_.release();
    log_.line("closed");
    DestroyWindow(window_);
}

}  // namespace ardentis::sim
