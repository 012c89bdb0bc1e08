#pragma once

#include <string>
#include <string_view>

namespace ardentis::sim {

// What Supreme Commander takes from the command line the client gives it:
//   host:   /exitongameover /hostgame udp 5000 NAME game of NAME
//   joiner: /exitongameover /joingame udp HOST:5000 NAME
struct ScCommandLine {
    bool host = false;
    std::string player;
    std::string address;  // the host's address, for a joiner
};

[[nodiscard]] ScCommandLine parseScCommandLine(std::string_view line);

}  // namespace ardentis::sim
