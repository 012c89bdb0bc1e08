#include "tests/win32/raw_system.h"

#include <windows.h>

#include <stdexcept>

namespace ardentis::testing {

bool rawScreenSaverRunning() {
    BOOL running = FALSE;
    if (SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) == 0) {
        throw std::runtime_error("SPI_GETSCREENSAVERRUNNING failed");
    }
    return running != FALSE;
}

}  // namespace ardentis::testing
