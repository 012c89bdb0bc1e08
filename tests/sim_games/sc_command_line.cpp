#include "tests/sim_games/sc_command_line.h"

#include <vector>

namespace ardentis::sim {
namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> found;
    while (!line.empty()) {
        const auto start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            break;
        }
        line.remove_prefix(start);
        const auto end = line.find(' ');
        found.push_back(line.substr(0, end));
        line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    }
    return found;
}

std::string_view wordAt(const std::vector<std::string_view>& all, std::size_t index) {
    return index < all.size() ? all[index] : std::string_view{};
}

}  // namespace

ScCommandLine parseScCommandLine(std::string_view line) {
    const auto all = words(line);
    ScCommandLine parsed;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i] == "/hostgame") {
            parsed.host = true;
            parsed.player = std::string(wordAt(all, i + 3));  // after "udp 5000"
        } else if (all[i] == "/joingame") {
            const std::string_view hostPort = wordAt(all, i + 2);
            parsed.address = std::string(hostPort.substr(0, hostPort.find(':')));
            parsed.player = std::string(wordAt(all, i + 3));
        }
    }
    return parsed;
}

}  // namespace ardentis::sim
