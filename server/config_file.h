#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace ardentis::server {

// One `key = value` line of a config file; `line` counts from 1, for messages.
struct ConfigSetting {
    std::size_t line = 0;
    std::string key;
    std::string value;
};

// `key = value` lines; blank lines and lines starting with `#` are skipped. The value is the
// rest of the line, trimmed, so a path may hold `#` or `=`. A failure is one line naming
// `fileName` and the line number.
[[nodiscard]] std::expected<std::vector<ConfigSetting>, std::string> parseConfigText(
    std::string_view text, std::string_view fileName);

// The same, read from a file; a failure also when it cannot be read.
[[nodiscard]] std::expected<std::vector<ConfigSetting>, std::string> readConfigFile(
    const std::string& path);

}  // namespace ardentis::server
