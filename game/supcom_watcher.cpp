#include "game/supcom_watcher.h"

#include "game/game_end.h"
#include "settings/local_network.h"

namespace ardentis::game {
namespace {

constexpr int kWatchMs = 1000;
constexpr const char* kTitle = "Supreme Commander";

}  // namespace

TSPCHook::TSPCHook(platform::EventLoop& loop, platform::GameWindows& windows,
                   const platform::NetworkInfo& network, platform::SystemInfo& system,
                   GameRoom& room)
    : windows_(windows),
      network_(network),
      system_(system),
      room_(room),
      watchTimer_(loop.createTimer(kWatchMs, false, [this] { watchStep(); })) {}

void TSPCHook::Start() {
    room_.setStartGuard(false);
    watchTimer_->setEnabled(true);
}

void TSPCHook::Stop() {
    watchTimer_->setEnabled(false);
    room_.clearStartFlags();
}

bool TSPCHook::CheckGameEnd() {
    if (checkGameEnd(windows_, text::Gbk(kTitle), room_, system_)) {
        return true;
    }
    Stop();
    return false;
}

bool TSPCHook::IsGameRunning() const {
    return windows_.findWindow(text::Gbk(kTitle)) != platform::kNoWindow;
}

void TSPCHook::watchStep() {
    if (!settings::IsPortFree(network_, kGamePort)) {
        room_.sendTAstart();
        room_.setStartGuard(true);
    }
    (void)CheckGameEnd();
}

}  // namespace ardentis::game
