#pragma once

#include <memory>

#include "game/game_room.h"
#include "platform/event_loop.h"
#include "platform/game_windows.h"
#include "platform/network_info.h"
#include "platform/system_info.h"

namespace ardentis::game {

// Follows a running Supreme Commander: each second, whether the game holds its UDP port
// 5000 (its network game is up: the start record may go out) and whether its window still
// exists (the room is put back once it has gone).
class TSPCHook {
  public:
    static constexpr std::uint16_t kGamePort = 5000;

    // All borrowed; each outlives the object.
    TSPCHook(platform::EventLoop& loop, platform::GameWindows& windows,
             const platform::NetworkInfo& network, platform::SystemInfo& system, GameRoom& room);

    void Start();
    void Stop();
    [[nodiscard]] bool CheckGameEnd();
    [[nodiscard]] bool IsGameRunning() const;
    void watchStep();

    [[nodiscard]] bool watching() const { return watchTimer_->enabled(); }

  private:
    platform::GameWindows& windows_;
    const platform::NetworkInfo& network_;
    platform::SystemInfo& system_;
    GameRoom& room_;
    std::unique_ptr<platform::Timer> watchTimer_;
};

}  // namespace ardentis::game
