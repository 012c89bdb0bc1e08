#pragma once

#include <filesystem>
#include <string_view>

namespace ardentis::sim {

// The simulated game's own account of what happened to it: one line per event in
// "simgame.log" beside its executable, each written to the file at once, so that a test
// reading the file meanwhile sees every event so far. Lines end with a bare LF.
class SimLog {
  public:
    SimLog();
    void line(std::string_view text) const;

  private:
    std::filesystem::path file_;
};

}  // namespace ardentis::sim
