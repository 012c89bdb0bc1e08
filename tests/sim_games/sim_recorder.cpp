// The TA Demo recorder for the tests: keeps the named shared memory "TADemo-MKChat" while it
// runs, filled from its arguments (e.g. state=1 players=alice,bob allied=2), and changes it
// by the commands on its standard input, one a line: "state N", "player I NAME",
// "allied I 0|1", "quit". It answers "ready" once the memory is there and "ok" (or
// "error") for each command. Ends at "quit" or the end of its input, and the memory goes.
// Exit codes: 0 after quit or the end of input, 2 for a bad argument, 3 when the memory
// cannot be made or another recorder already keeps it.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "platform/win32/wide_text.h"
#include "tests/sim_games/recorder_commands.h"
#include "tests/sim_games/recorder_mapping.h"

namespace {

constexpr int kBadArgument = 2;
constexpr int kNoMapping = 3;

void answer(const char* text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);  // the test waits for each answer
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace ardentis;
    _setmode(_fileno(stdout), _O_BINARY);  // answers end with a bare LF, as simgame.log lines do
    sim::RecorderMapping mapping;
    if (mapping.create() != sim::RecorderMapping::OpenResult::Created) {
        return kNoMapping;
    }
    for (int i = 1; i < argc; ++i) {
        if (!sim::applyArgument(mapping, platform::wideToGbkLossy(argv[i]).view())) {
            return kBadArgument;
        }
    }
    answer("ready");
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line == "quit") {
            break;
        }
        answer(sim::applyCommand(mapping, line) ? "ok" : "error");
    }
    return 0;
}
