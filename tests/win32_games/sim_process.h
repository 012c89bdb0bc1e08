#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/game_windows.h"

namespace ardentis::testing {

// A simulated game or recorder running as a process of its own. A process still running
// when the object goes is ended, so that no test leaves a window or a mapping behind.
class SimProcess {
  public:
    // Starts the program with these arguments and this process's environment; with pipes,
    // its standard input comes from writeLine() and its output is read by output().
    [[nodiscard]] static std::unique_ptr<SimProcess> start(const std::filesystem::path& program,
                                                           std::wstring_view arguments,
                                                           bool pipes = false);
    // The process that owns the window, for a program started through the shell.
    [[nodiscard]] static std::unique_ptr<SimProcess> ownerOf(platform::WindowHandle window);
    SimProcess() = default;
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess();

    [[nodiscard]] bool running() const;
    [[nodiscard]] std::optional<std::uint32_t> exitCode() const;  // nothing while it runs
    [[nodiscard]] bool writeLine(std::string_view line);
    // All it has written so far; never waits.
    [[nodiscard]] const std::string& output();

  private:
    void* process_ = nullptr;
    void* input_ = nullptr;
    void* output_ = nullptr;
    std::string received_;
};

}  // namespace ardentis::testing
