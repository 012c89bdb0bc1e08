#pragma once

namespace ardentis::testing {

// Reads SPI_GETSCREENSAVERRUNNING straight from the system, to see what the task-key
// helpers changed without going through them.
[[nodiscard]] bool rawScreenSaverRunning();

}  // namespace ardentis::testing
