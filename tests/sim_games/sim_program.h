// What the simulated programs share: their log, their knobs, a window routed to an object.
#pragma once

#include <windows.h>

#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/file_append.h"

namespace ardentis::sim {

// One line per event, ending in a bare LF, in "simgame.log" beside the executable, each
// written at once, so that a test reading the file meanwhile sees every event so far.
inline void logLine(std::string_view text) {
    static const auto file = platform::executableDirectory() / "simgame.log";
    (void)platform::appendToFile(file, std::string(text) + '\n');  // a lost line shows in the test
}

// A knob a test sets in the environment: the fallback when it is missing or not a number.
inline UINT fromEnvironment(const char* name, UINT fallback) {
    const char* value = std::getenv(name);
    const std::string_view text = value != nullptr ? value : "";
    UINT parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    return error == std::errc{} && end == text.data() + text.size() ? parsed : fallback;
}

template <class Sim>
LRESULT CALLBACK routeTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (message == WM_DESTROY) {  // the program ends with its window
        PostQuitMessage(0);
    }
    auto* sim = reinterpret_cast<Sim*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return sim != nullptr ? sim->route(window, message, wParam, lParam)
                          : DefWindowProcW(window, message, wParam, lParam);
}

// A black window titled `title`, its client area width x height, its messages (but WM_DESTROY)
// going to sim.route(window, message, wParam, lParam), which throws nothing; or nullptr.
template <class Sim>
HWND openWindow(Sim& sim, const wchar_t* title, DWORD exStyle, int width, int height) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = routeTo<Sim>;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = title;
    if (RegisterClassW(&windowClass) == 0) {
        return nullptr;
    }
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, exStyle);
    return CreateWindowExW(exStyle, title, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           windowClass.hInstance, &sim);
}

// Shows the window and runs the thread's message loop until WM_QUIT: its exit code, or 3 when
// there is no window.
inline int runWindow(HWND window, int showCommand) {
    if (window == nullptr) {
        return 3;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace ardentis::sim
