#include "game/ta_watcher.h"

#include "game/game_end.h"

namespace ardentis::game {
namespace {

constexpr int kReaderMs = 100;
constexpr int kWatchMs = 1000;
constexpr const char* kTitle = "Total Annihilation";
constexpr const char* kRecorderMapping = "TADemo-MKChat";

}  // namespace

TTAHook::TTAHook(platform::EventLoop& loop, platform::GameWindows& windows,
                 platform::SharedMemory& sharedMemory, platform::SystemInfo& system,
                 const protocol::TrafficLog& log, GameRoom& room)
    : windows_(windows),
      sharedMemory_(sharedMemory),
      system_(system),
      log_(log),
      room_(room),
      readerTimer_(loop.createTimer(kReaderMs, false, [this] { readerStep(); })),
      watchTimer_(loop.createTimer(kWatchMs, false, [this] { watchStep(); })) {}

void TTAHook::Start() {
    readerTimer_->setEnabled(true);
    watchTimer_->setEnabled(true);
}

void TTAHook::Stop() {
    readerTimer_->setEnabled(false);
    watchTimer_->setEnabled(false);
}

bool TTAHook::CheckGameEnd() {
    if (checkGameEnd(windows_, text::Gbk(kTitle), room_, system_)) {
        return true;
    }
    Stop();
    return false;
}

bool TTAHook::IsGameRunning() const {
    return windows_.findWindow(text::Gbk(kTitle)) != platform::kNoWindow;
}

void TTAHook::watchStep() {
    if (!CheckGameEnd()) {
        return;
    }
    if (!view_) {
        auto opened = sharedMemory_.openMapping(kRecorderMapping, kRecorderBytes);
        if (opened) {
            view_ = *std::move(opened);
        }
    }
    if (view_) {
        RecorderSnapshot now{};
        view_->read(now);
        // Enabling a running timer would start its interval anew, and every second the
        // reader would lose a step.
        const bool recording = recorderRecording(now);
        if (readerTimer_->enabled() != recording) {
            readerTimer_->setEnabled(recording);
        }
    }
}

void TTAHook::readerStep() {
    if (!view_) {
        return;
    }
    view_->read(current_);
    if (current_ == previous_) {
        return;
    }
    previous_ = current_;
    log_.LogText(recorderReport(current_));
}

}  // namespace ardentis::game
