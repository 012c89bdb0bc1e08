#include "tests/sim_games/sim_log.h"

#include <string>

#include "platform/file_append.h"

namespace ardentis::sim {

SimLog::SimLog() : file_(platform::executableDirectory() / "simgame.log") {}

void SimLog::line(std::string_view text) const {
    std::string bytes(text);
    bytes += '\n';
    (void)platform::appendToFile(file_, bytes);  // a lost line shows in the test that reads it
}

}  // namespace ardentis::sim
