#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/event_loop.h"
#include "platform/game_windows.h"
#include "platform/system_info.h"
#include "protocol/traffic_log.h"

namespace ardentis::game {

// Drives Total Annihilation's menus into the networked battle: every 10 ms it reads the
// game window's probe pixels, tells the menu from their colours and answers with at most
// one click, the start record or closing the game.
class TAutoClicker {
  public:
    static constexpr int kProbeCount = 29;
    static constexpr int kNoWindow = -1;
    static constexpr int kNoMenu = -8;
    static constexpr int kHostMode = 1;
    static constexpr int kJoinMode = 2;

    struct Probe {
        platform::PixelPoint at;
        std::optional<platform::Rgb> a;
        std::optional<platform::Rgb> b;
    };

    // All borrowed; each outlives the object. sendTAstart is the battle room's.
    TAutoClicker(platform::EventLoop& loop, platform::GameWindows& windows,
                 platform::SystemInfo& system, const protocol::TrafficLog& log,
                 std::function<void()> sendTAstart);

    // Right after the game's window has appeared; mode 1 hosts, 2 joins.
    void Start(int mode);
    [[nodiscard]] int GetMenuIndex();
    // One step of the timer; public so a benchmark can time it.
    void step();

    [[nodiscard]] bool running() const { return timer_->enabled(); }
    [[nodiscard]] static const std::array<Probe, kProbeCount>& probes();

    // The program-wide flags of the automation, one set per client.
    bool menu5Clicked = false;
    bool battleStarted = false;
    bool menu7ClickPending = false;
    int menu44Clicks = 0;
    int lastMenuIndex = 0;

  private:
    [[nodiscard]] bool equalsA(int probe) const;
    [[nodiscard]] bool equalsB(int probe) const;
    [[nodiscard]] bool allA(int first, int last) const;
    void click(platform::WindowHandle target, platform::PixelPoint at);
    void closeGame(platform::WindowHandle target);

    platform::GameWindows& windows_;
    platform::SystemInfo& system_;
    const protocol::TrafficLog& log_;
    std::function<void()> sendTAstart_;
    std::unique_ptr<platform::Timer> timer_;
    int mode_ = 0;
    platform::WindowHandle window_ = platform::kNoWindow;
    std::array<platform::Rgb, kProbeCount> readings_{};
};

}  // namespace ardentis::game
