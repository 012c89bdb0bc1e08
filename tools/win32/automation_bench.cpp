// Times the menu automation's steps against the simulated Total Annihilation's real window:
// the one-blit capture of the 29 probes, GetMenuIndex (capture and decision), a whole
// timer step in the battle room, and for comparison the former way of reading, one
// GetPixel call per probe.
//
//   automation_bench [--steps N] [--sim PATH_TO_sim_totala.exe]
#include <windows.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "game/menu_automation.h"
#include "platform/clock.h"
#include "platform/file_append.h"
#include "platform/win32/win32_event_loop.h"
#include "platform/win32/win32_game_windows.h"
#include "platform/win32/win32_system_info.h"
#include "protocol/traffic_log.h"
#include "tools/win32/sim_game_session.h"
#include "tools/win32/step_figures.h"

namespace {

using namespace ardentis;

using Probes = std::array<platform::PixelPoint, game::TAutoClicker::kProbeCount>;
using Readings = std::array<platform::Rgb, game::TAutoClicker::kProbeCount>;

struct Options {
    std::size_t steps = 2000;
    std::filesystem::path simulatedGame =
        platform::executableDirectory() / ARDENTIS_SIM_GAMES_DIR / "sim_totala.exe";
};

Options parseOptions(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring_view option = argv[i];
        if (option == L"--steps") {
            options.steps = std::wcstoul(argv[i + 1], nullptr, 10);
        } else if (option == L"--sim") {
            options.simulatedGame = argv[i + 1];
        }
    }
    options.simulatedGame = options.simulatedGame.lexically_normal();
    return options;
}

// Runs `step` a tenth of `count` times to warm up, then `count` times measured.
std::string measure(const char* name, std::size_t count, const std::function<void()>& step) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    for (std::size_t i = 0; i < count / 10; ++i) {
        step();
    }
    bench::StepFigures figures(name, count);
    for (std::size_t i = 0; i < count; ++i) {
        LARGE_INTEGER start{};
        LARGE_INTEGER end{};
        QueryPerformanceCounter(&start);
        step();
        QueryPerformanceCounter(&end);
        figures.add(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                    static_cast<double>(frequency.QuadPart));
    }
    return figures.line();
}

// The former reading: one GetPixel call per probe through the window's DC.
void readByGetPixel(HWND window, const Probes& points, Readings& colours) {
    HDC dc = GetDC(window);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const COLORREF colour = GetPixel(dc, points[i].x, points[i].y);
        colours[i] = colour == CLR_INVALID
                         ? platform::Rgb{255, 255, 255}
                         : platform::Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    }
    ReleaseDC(window, dc);
}

// Steps (or only looks, without stepping) every 10 ms until the menu shows, up to 20 s.
bool reachMenu(game::TAutoClicker& clicker, int menu, bool stepping) {
    for (int tries = 0; tries < 2000; ++tries) {
        if (stepping) {
            clicker.step();
        }
        if ((stepping ? clicker.lastMenuIndex : clicker.GetMenuIndex()) == menu) {
            return true;
        }
        Sleep(10);
    }
    return false;
}

void printHeader(HWND window, std::size_t steps) {
    using Version = const char*(CDECL*)();
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto version = ntdll != nullptr ? reinterpret_cast<Version>(reinterpret_cast<void (*)()>(
                                                GetProcAddress(ntdll, "wine_get_version")))
                                          : nullptr;
    const std::string system = version != nullptr ? std::string("Wine ") + version() : "Windows";
    RECT client{};
    GetClientRect(window, &client);
    std::printf(
        "automation_bench: %zu measured steps each (after %zu warm-up), %s, client area "
        "%ldx%ld\n",
        steps, steps / 10, system.c_str(), client.right, client.bottom);
    std::puts(bench::StepFigures::header().c_str());
}

int fail(const char* why) {
    std::fprintf(stderr, "automation_bench: %s\n", why);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Options options = parseOptions(argc, argv);
    if (options.steps == 0 || FindWindowW(nullptr, L"Total Annihilation") != nullptr) {
        return fail("needs --steps > 0 and no other Total Annihilation window");
    }
    const bench::SimGameSession session(options.simulatedGame);
    const platform::WindowHandle window = session.waitForWindow();
    if (window == platform::kNoWindow) {
        return fail("the simulated game did not open its window");
    }
    platform::Win32EventLoop loop;  // the clicker's timer; never pumped, each step is called
    platform::Win32GameWindows windows;
    platform::Win32SystemInfo system;
    platform::SystemClock clock;
    const protocol::TrafficLog log(
        platform::appendFileAt(std::filesystem::temp_directory_path() / "ardentis-bench.log"),
        clock);
    game::TAutoClicker clicker(loop, windows, system, log, [] {});
    if (!reachMenu(clicker, 5, false)) {
        return fail("the connect screen never showed");
    }
    Probes points{};
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i] = game::TAutoClicker::probes()[i].at;
    }
    Readings colours{};
    const auto hwnd = reinterpret_cast<HWND>(window);
    const std::size_t steps = options.steps;
    printHeader(hwnd, steps);
    std::puts(measure("capture: one blit, 29 probes", steps, [&] {
                  (void)windows.readPixels(window, points, colours);
              }).c_str());
    std::puts(measure("GetMenuIndex: capture + decision", steps, [&] {
                  (void)clicker.GetMenuIndex();
              }).c_str());
    std::puts(measure("old: 29 GetPixel calls", steps, [&] {
                  readByGetPixel(hwnd, points, colours);
              }).c_str());
    // The host's first step clicks OK; in the battle room that follows, every step reads,
    // decides and calls the start callback, and the room waits for good.
    clicker.Start(game::TAutoClicker::kHostMode);
    if (!reachMenu(clicker, 6, true)) {
        return fail("the battle room never showed");
    }
    std::puts(measure("whole step() in the battle room", steps, [&] { clicker.step(); }).c_str());
    std::error_code ignored;
    std::filesystem::remove(log.file(), ignored);
    return 0;
}
