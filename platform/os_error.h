#pragma once

#include <string>

namespace ardentis::platform {

// A failed system call: which call, and the code the system gave (errno, GetLastError
// or WSAGetLastError), read at once. Formatted only where it is shown.
struct OsError {
    const char* api = "";
    int code = 0;

    [[nodiscard]] std::string describe() const {
        return std::string(api) + " failed with " + std::to_string(code);
    }
};

}  // namespace ardentis::platform
