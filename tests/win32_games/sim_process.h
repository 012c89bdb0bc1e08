#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/game_windows.h"
#include "platform/os_error.h"

namespace ardentis::testing {

// A simulated game or recorder running as a process of its own. A process still running
// when the object goes is ended, so that no test leaves a window or a mapping behind.
class SimProcess {
  public:
    // Starts the program with these arguments and this process's environment; with pipes,
    // its standard input comes from writeLine() and its output is read by output().
    [[nodiscard]] static std::expected<SimProcess, platform::OsError> start(
        const std::filesystem::path& program, std::wstring_view arguments, bool pipes = false);
    // The process that owns the window, for a program started through the shell.
    [[nodiscard]] static std::expected<SimProcess, platform::OsError> ownerOf(
        platform::WindowHandle window);

    SimProcess(SimProcess&& other) noexcept;
    SimProcess& operator=(SimProcess&&) = delete;
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess();

    [[nodiscard]] bool running() const;
    // Nothing while it runs.
    [[nodiscard]] std::optional<std::uint32_t> exitCode() const;
    [[nodiscard]] bool writeLine(std::string_view line);
    // The end of its input.
    void closeInput();
    // All it has written so far; never waits.
    [[nodiscard]] const std::string& output();

  private:
    SimProcess() = default;

    void* process_ = nullptr;
    void* input_ = nullptr;
    void* output_ = nullptr;
    std::string received_;
};

}  // namespace ardentis::testing
