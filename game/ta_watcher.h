#pragma once

#include <memory>

#include "game/game_room.h"
#include "game/recorder_report.h"
#include "platform/event_loop.h"
#include "platform/game_windows.h"
#include "platform/shared_memory.h"
#include "platform/system_info.h"
#include "protocol/traffic_log.h"

namespace ardentis::game {

// Follows a running Total Annihilation: each second, whether its window still exists (and
// the room is put back once it has gone), and the TA Demo recorder's shared memory, read
// every 100 ms while the recorder reports a game in progress.
class TTAHook {
  public:
    // All borrowed; each outlives the object.
    TTAHook(platform::EventLoop& loop, platform::GameWindows& windows,
            platform::SharedMemory& sharedMemory, platform::SystemInfo& system,
            const protocol::TrafficLog& log, GameRoom& room);

    void Start();
    void Stop();
    // True while the game's window exists; once it has gone, puts the room back.
    [[nodiscard]] bool CheckGameEnd();
    [[nodiscard]] bool IsGameRunning() const;

    // The timers' steps, public so that tests and benchmarks can name them.
    void watchStep();
    void readerStep();

    [[nodiscard]] bool watching() const { return watchTimer_->enabled(); }
    [[nodiscard]] bool reading() const { return readerTimer_->enabled(); }
    [[nodiscard]] bool recorderOpen() const { return view_ != nullptr; }

  private:
    platform::GameWindows& windows_;
    platform::SharedMemory& sharedMemory_;
    platform::SystemInfo& system_;
    const protocol::TrafficLog& log_;
    GameRoom& room_;
    std::unique_ptr<platform::Timer> readerTimer_;
    std::unique_ptr<platform::Timer> watchTimer_;
    std::unique_ptr<platform::SharedMemoryView> view_;  // open for the rest of the run
    RecorderSnapshot current_{};
    RecorderSnapshot previous_{};
};

}  // namespace ardentis::game
