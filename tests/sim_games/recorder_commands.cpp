#include "tests/sim_games/recorder_commands.h"

#include <charconv>
#include <optional>

namespace ardentis::sim {
namespace {

std::optional<int> number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The text up to the separator, taken off the front of `rest`.
std::string_view takeUntil(std::string_view& rest, char separator) {
    const auto end = rest.find(separator);
    const std::string_view part = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return part;
}

}  // namespace

bool applyArgument(RecorderMapping& mapping, std::string_view argument) {
    std::string_view value = argument;
    const std::string_view name = takeUntil(value, '=');
    if (name == "state") {
        const auto state = number(value);
        if (!state) {
            return false;
        }
        mapping.setState(*state);
        return true;
    }
    if (name == "players") {
        for (int slot = 1; !value.empty() && slot <= RecorderMapping::kSlots; ++slot) {
            mapping.setPlayer(slot, takeUntil(value, ','));
        }
        return true;
    }
    if (name == "allied") {
        while (!value.empty()) {
            const auto slot = number(takeUntil(value, ','));
            if (!slot) {
                return false;
            }
            mapping.setAllied(*slot, true);
        }
        return true;
    }
    return false;
}

bool applyCommand(RecorderMapping& mapping, std::string_view line) {
    std::string_view rest = line;
    const std::string_view command = takeUntil(rest, ' ');
    if (command == "state") {
        const auto state = number(rest);
        if (state) {
            mapping.setState(*state);
        }
        return state.has_value();
    }
    const auto slot = number(takeUntil(rest, ' '));
    if (!slot) {
        return false;
    }
    if (command == "player") {
        mapping.setPlayer(*slot, rest);
        return true;
    }
    if (command == "allied" && (rest == "0" || rest == "1")) {
        mapping.setAllied(*slot, rest == "1");
        return true;
    }
    return false;
}

}  // namespace ardentis::sim
