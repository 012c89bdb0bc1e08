#pragma once

#include <cstdint>
#include <expected>

#include "platform/os_error.h"
#include "text/gbk.h"

namespace ardentis::platform {

// How the started program's first window is shown; the values are the system's show
// commands.
enum class WindowMode : std::uint8_t { Normal = 1, Maximized = 3 };

// Starts programs through the system shell: its default action on the path, no owner
// window, no working directory (the program inherits this process's). The process is not
// kept; a started game is found afterwards by its window title.
class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;
    [[nodiscard]] virtual std::expected<void, OsError> shellExecute(const text::Gbk& path,
                                                                    const text::Gbk& parameters,
                                                                    WindowMode mode) = 0;
};

}  // namespace ardentis::platform
