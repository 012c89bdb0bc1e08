#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

namespace ardentis::server::testing {

// The exit status of a shell command run by popen, or -1 when it did not exit.
inline int exitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the program through the shell with `input` (printf escapes) on its standard input,
// behind `prefix` (a command that runs it, such as timeout); its exit status and standard output.
inline std::pair<int, std::string> run(const std::string& arguments, const std::string& input = "",
                                       const std::string& prefix = "") {
    FILE* pipe = ::popen(("printf '" + input + "' | " + prefix + " " ARDENTIS_SERVER_BINARY " " +
                          arguments + " 2>/dev/null")
                             .c_str(),
                         "r");
    std::string output;
    for (int c = 0; (c = std::fgetc(pipe)) != EOF;) {
        output += static_cast<char>(c);
    }
    return {exitStatus(::pclose(pipe)), output};
}

// The program serving on a loopback port it picks; standard error goes to `errorLog`. `setup`
// runs first in the shell that becomes the program (limits, signals it ignores).
class ServerProcess {
  public:
    ServerProcess(const std::string& arguments, const std::string& errorLog,
                  const std::string& setup = "")
        : pipe_(::popen(
              (setup + " echo pid $$; exec " ARDENTIS_SERVER_BINARY " --listen 127.0.0.1:0 " +
               arguments + " 2>>" + errorLog)
                  .c_str(),
              "r")) {
        char line[128] = {};
        for (int lines = 0; lines < 2 && std::fgets(line, sizeof line, pipe_) != nullptr; ++lines) {
            std::sscanf(line, "pid %d", &pid_);
            std::sscanf(line, "listening on 127.0.0.1:%hu", &port_);
        }
        EXPECT_TRUE(pid_ > 0 && port_ > 0) << line;
    }
    ~ServerProcess() { stop(SIGKILL); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    [[nodiscard]] std::uint16_t port() const { return port_; }
    // Sends the signal and returns the exit status (-1 when the signal ended it).
    int stop(int signal) {
        if (pid_ > 0) {
            ::kill(pid_, signal);
        }
        pid_ = 0;
        const int status = pipe_ != nullptr ? ::pclose(pipe_) : 0;
        pipe_ = nullptr;
        return exitStatus(status);
    }

  private:
    FILE* pipe_;
    int pid_ = 0;
    std::uint16_t port_ = 0;
};

}  // namespace ardentis::server::testing
