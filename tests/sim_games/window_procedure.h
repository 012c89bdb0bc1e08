// The window procedure of a simulated program's window class: it routes every message to
// the object given at creation. Sim is a class with a member `window_` (its handle) and
// `route(message, wParam, lParam)`, and names WindowProcedure<Sim> its friend.
#pragma once

#include <windows.h>

namespace ardentis::sim {

template <class Sim>
struct WindowProcedure {
    static LRESULT CALLBACK call(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            auto* self = static_cast<Sim*>(create->lpCreateParams);
            self->window_ = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Sim*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        try {
            return self->route(message, wParam, lParam);
        } catch (...) {  // nothing may cross into user32
            return 0;
        }
    }
};

// Runs the thread's message loop until WM_QUIT; its exit code.
inline int runMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace ardentis::sim
