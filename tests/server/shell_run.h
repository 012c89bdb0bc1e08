#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>

namespace ardentis::server::testing {

// A shell command's exit status from pclose, or -1 when it did not exit.
inline int exitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a command through the shell; its exit status and standard output.
inline std::pair<int, std::string> shell(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    for (int c = 0; (c = std::fgetc(pipe)) != EOF;) {
        output += static_cast<char>(c);
    }
    return {exitStatus(::pclose(pipe)), output};
}

}  // namespace ardentis::server::testing
