#pragma once

#include <sys/types.h>

#include <cstdint>
#include <expected>
#include <filesystem>
#include <string>
#include <vector>

namespace ardentis::tools {

// What the kernel says of a process: resident memory now and at its peak, open descriptors.
struct ProcessFigures {
    long rssKb = 0;
    long peakKb = 0;
    long descriptors = 0;
};

// The real server as a child process on loopback, its standard error in a log file.
class ServerChild {
  public:
    // Starts `binary` with `arguments` after "--listen 127.0.0.1:0" and waits until it listens.
    static std::expected<ServerChild, std::string> start(const std::filesystem::path& binary,
                                                         const std::vector<std::string>& arguments,
                                                         const std::filesystem::path& log);
    ServerChild(ServerChild&& other) noexcept;
    ServerChild& operator=(ServerChild&&) = delete;
    ServerChild(const ServerChild&) = delete;
    ServerChild& operator=(const ServerChild&) = delete;
    ~ServerChild();

    [[nodiscard]] std::uint16_t port() const noexcept { return port_; }
    [[nodiscard]] ProcessFigures figures() const;
    // False once it has ended (it is then reaped).
    [[nodiscard]] bool running();
    // SIGTERM, then the exit status (-1 when it did not end by itself in time).
    int stop();

  private:
    ServerChild(pid_t pid, std::uint16_t port) : pid_(pid), port_(port) {}
    pid_t pid_ = 0;
    std::uint16_t port_ = 0;
};

}  // namespace ardentis::tools
