#include "tests/sim_games/environment_setting.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace ardentis::sim {

int millisecondsFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return fallback;
    }
    const std::string_view text(value);
    int parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc{} || end != text.data() + text.size() || parsed < 0) {
        return fallback;
    }
    return parsed;
}

bool flagFromEnvironment(const char* name, bool fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return fallback;
    }
    return std::string_view(value) != "0";
}

}  // namespace ardentis::sim
