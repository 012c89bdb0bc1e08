#include "server/config_file.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace ardentis::server {
namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

}  // namespace

std::expected<std::vector<ConfigSetting>, std::string> parseConfigText(std::string_view text,
                                                                       std::string_view fileName) {
    std::vector<ConfigSetting> settings;
    for (std::size_t number = 1; !text.empty(); ++number) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.starts_with('#')) {
            continue;
        }
        const auto where = std::string(fileName) + ":" + std::to_string(number) + ": ";
        const auto eq = line.find('=');
        const std::string_view key = trimmed(line.substr(0, eq));
        if (eq == std::string_view::npos || key.empty()) {
            return std::unexpected(where + "expected key = value");
        }
        const std::string_view value = trimmed(line.substr(eq + 1));
        if (value.empty()) {
            return std::unexpected(where + std::string(key) + " wants a value");
        }
        settings.push_back({number, std::string(key), std::string(value)});
    }
    return settings;
}

std::expected<std::vector<ConfigSetting>, std::string> readConfigFile(const std::string& path) {
    const auto failed = [&] {
        return std::unexpected("cannot read " + path + ": " + std::strerror(errno));
    };
    const std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"),
                                                                  &std::fclose);
    if (!file) {
        return failed();
    }
    std::string text;
    std::array<char, 4096> buffer{};
    for (std::size_t n = 0; (n = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0;) {
        text.append(buffer.data(), n);
    }
    if (std::ferror(file.get()) != 0) {
        return failed();
    }
    return parseConfigText(text, path);
}

}  // namespace ardentis::server
