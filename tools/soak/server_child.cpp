#include "tools/soak/server_child.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

extern char** environ;

namespace ardentis::tools {
namespace {

using namespace std::chrono_literals;

// The port in the log's "listening on 127.0.0.1:PORT" line, once it is there.
std::uint16_t listeningPort(const std::filesystem::path& log) {
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find("listening on 127.0.0.1:");
        if (at != std::string::npos) {
            return static_cast<std::uint16_t>(std::stoul(line.substr(at + 23)));
        }
    }
    return 0;
}

long statusField(pid_t pid, const std::string& name) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(name + ":")) {
            return std::stol(line.substr(name.size() + 1));
        }
    }
    return 0;
}

}  // namespace

std::expected<ServerChild, std::string> ServerChild::start(
    const std::filesystem::path& binary, const std::vector<std::string>& arguments,
    const std::filesystem::path& log) {
    std::vector<std::string> all{binary.string(), "--listen", "127.0.0.1:0"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(all.size() + 1);
    for (std::string& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions{};
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        return std::unexpected("cannot start " + binary.string());
    }
    ServerChild child(pid, 0);
    for (int waited = 0; waited < 100 && child.port_ == 0 && child.running(); ++waited) {
        std::this_thread::sleep_for(50ms);
        child.port_ = listeningPort(log);
    }
    if (child.port_ == 0) {
        return std::unexpected("the server did not start listening; see " + log.string());
    }
    return child;
}

ServerChild::ServerChild(ServerChild&& other) noexcept
    : pid_(std::exchange(other.pid_, 0)), port_(other.port_) {}

ServerChild::~ServerChild() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

ProcessFigures ServerChild::figures() const {
    ProcessFigures figures{statusField(pid_, "VmRSS"), statusField(pid_, "VmHWM"), 0};
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc/" + std::to_string(pid_) + "/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        ++figures.descriptors;
    }
    return figures;
}

bool ServerChild::running() {
    if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) != 0) {
        pid_ = 0;
    }
    return pid_ > 0;
}

int ServerChild::stop() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int waited = 0; waited < 100; ++waited) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = 0;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(50ms);
    }
    return -1;
}

}  // namespace ardentis::tools
