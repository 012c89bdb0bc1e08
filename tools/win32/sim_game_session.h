#pragma once

#include <filesystem>

#include "platform/game_windows.h"

namespace ardentis::bench {

// A simulated Total Annihilation to measure against: copied into a fresh temporary game
// directory as totala.exe with a host's launch file, started, and closed (directory and
// all) at the end of the object. Its battle room waits for the others for good, so a step
// there can be repeated as often as wanted.
class SimGameSession {
  public:
    explicit SimGameSession(const std::filesystem::path& simulatedGame);
    ~SimGameSession();
    SimGameSession(const SimGameSession&) = delete;
    SimGameSession& operator=(const SimGameSession&) = delete;

    // The game's window once it is there (up to 20 s), or kNoWindow.
    [[nodiscard]] platform::WindowHandle waitForWindow() const;

  private:
    std::filesystem::path directory_;
    void* process_ = nullptr;
};

}  // namespace ardentis::bench
