#include "game/recorder_report.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ardentis::game {
namespace {

constexpr std::size_t kStateOffset = 144;
constexpr std::size_t kNamesOffset = 128;
constexpr std::size_t kNameBytes = 20;
constexpr std::size_t kAlliesOffset = 508;
constexpr int kSlots = 10;

std::int32_t readInt(const RecorderSnapshot& snapshot, std::size_t offset) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        bits |= static_cast<std::uint32_t>(snapshot[offset + i]) << (8U * i);
    }
    return static_cast<std::int32_t>(bits);
}

// Player i's name: a length byte (0 = empty slot) and up to 19 characters.
std::string playerName(const RecorderSnapshot& snapshot, int slot) {
    const std::size_t offset = kNamesOffset + kNameBytes * static_cast<std::size_t>(slot);
    auto length = static_cast<std::size_t>(snapshot[offset]);
    length = std::min(length, kNameBytes - 1);
    std::string name;
    for (std::size_t i = 0; i < length; ++i) {
        name.push_back(static_cast<char>(snapshot[offset + 1 + i]));
    }
    return name;
}

bool allied(const RecorderSnapshot& snapshot, int slot) {
    return readInt(snapshot, kAlliesOffset + 4 * static_cast<std::size_t>(slot)) != 0;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        if (!text.empty()) {
            text += ", ";
        }
        text += name;
    }
    return text;
}

}  // namespace

std::int32_t recorderState(const RecorderSnapshot& snapshot) {
    return readInt(snapshot, kStateOffset);
}

bool recorderRecording(const RecorderSnapshot& snapshot) {
    const std::int32_t state = recorderState(snapshot);
    return state == 1 || state == 3;
}

text::Gbk recorderReport(const RecorderSnapshot& snapshot) {
    std::vector<std::string> names;
    std::vector<std::string> allies;
    for (int slot = 1; slot <= kSlots; ++slot) {
        if (snapshot[kNamesOffset + kNameBytes * static_cast<std::size_t>(slot)] == std::byte{0}) {
            continue;
        }
        names.push_back(playerName(snapshot, slot));
        if (allied(snapshot, slot)) {
            allies.push_back(names.back());
        }
    }
    const std::string first = playerName(snapshot, 1);
    std::string report = std::to_string(names.size()) + " players reported by Recorder; " +
                         joined(names) + "; Player:" + first;
    report += allies.empty() ? ", allied no one." : " is allied with: " + joined(allies);
    return text::Gbk(std::move(report));
}

}  // namespace ardentis::game
