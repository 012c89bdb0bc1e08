// What the simulated programs share: their log, their knobs, and a window whose messages go
// to an object of theirs.
#pragma once

#include <windows.h>

#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/file_append.h"

namespace ardentis::sim {

// The program's own account of what happened to it: one line per event in "simgame.log"
// beside its executable, each written at once, so that a test reading the file meanwhile
// sees every event so far. Lines end with a bare LF.
inline void logLine(std::string_view text) {
    static const auto file = platform::executableDirectory() / "simgame.log";
    (void)platform::appendToFile(file, std::string(text) + '\n');  // a lost line shows in the test
}

// A knob from the environment, which a test sets before it starts the program: the fallback
// when it is missing or not a number.
inline int fromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    const std::string_view text = value != nullptr ? value : "";
    int parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    return error == std::errc{} && end == text.data() + text.size() && parsed >= 0 ? parsed
                                                                                   : fallback;
}

template <class Sim>
LRESULT CALLBACK routeTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* sim = reinterpret_cast<Sim*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return sim != nullptr ? sim->route(window, message, wParam, lParam)
                          : DefWindowProcW(window, message, wParam, lParam);
}

// A black window titled `title` with a client area of width x height, whose messages go to
// sim.route(window, message, wParam, lParam), which throws nothing; nullptr when refused.
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

// Shows the window and runs the thread's message loop until WM_QUIT; its exit code.
inline int runWindow(HWND window, int showCommand) {
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace ardentis::sim
