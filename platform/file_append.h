#pragma once

#include <filesystem>
#include <string_view>

namespace ardentis::platform {

// Appends the bytes at the end of the file in one write, creating the file when it is
// missing. Concurrent appenders (threads or processes) never split or overwrite each
// other's bytes. Returns false when the file cannot be opened or written.
[[nodiscard]] bool appendToFile(const std::filesystem::path& path, std::string_view bytes) noexcept;

// The directory that holds the running executable.
[[nodiscard]] std::filesystem::path executableDirectory();

}  // namespace ardentis::platform
