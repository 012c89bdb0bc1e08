#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

namespace ardentis::server::testing {

// Runs the program through the shell with `input` on its standard input, after `prefix` (a
// command that runs it, such as timeout); exit status and output.
inline std::pair<int, std::string> run(const std::string& arguments, const std::string& input = "",
                                       const std::string& prefix = "") {
    const std::string command =
        "printf '" + input + "' | " + prefix + " " ARDENTIS_SERVER_BINARY " " + arguments;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    std::string output;
    for (int c = 0; (c = std::fgetc(pipe)) != EOF;) {
        output += static_cast<char>(c);
    }
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The server serving in a child of a shell, which prints the server's pid and, once it has
// ended, "exit STATUS"; standard error goes to `errorLog`. `setup` runs in that shell first.
class ServerProcess {
  public:
    ServerProcess(const std::string& arguments, const std::string& errorLog,
                  const std::string& setup = "")
        : shell_(::popen((setup + " " ARDENTIS_SERVER_BINARY " --listen 127.0.0.1:0 " + arguments +
                          " 2>>" + errorLog + " & echo pid $!; wait $!; echo exit $?")
                             .c_str(),
                         "r")) {
        for (int lines = 0; lines < 2 && std::fgets(line_, sizeof line_, shell_) != nullptr;
             ++lines) {
            std::sscanf(line_, "pid %d", &pid_);
            std::sscanf(line_, "listening on 127.0.0.1:%hu", &port_);
        }
        EXPECT_TRUE(pid_ > 0 && port_ > 0) << line_;
        pid_ = std::max(pid_, 0);
    }
    ~ServerProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
        }
        ::pclose(shell_);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    [[nodiscard]] std::uint16_t port() const { return port_; }
    // Sends the signal and returns the exit status.
    int stop(int signal) {
        ::kill(pid_, signal);
        int status = -1;
        while (std::fgets(line_, sizeof line_, shell_) != nullptr &&
               std::sscanf(line_, "exit %d", &status) != 1) {
        }
        pid_ = 0;
        return status;
    }

  private:
    FILE* shell_;
    char line_[128] = {};
    int pid_ = 0;
    std::uint16_t port_ = 0;
};

}  // namespace ardentis::server::testing
