#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "text/gbk.h"

namespace ardentis::game {

// The TA Demo recorder's shared memory as this client reads it.
inline constexpr std::size_t kRecorderBytes = 1220;
using RecorderSnapshot = std::array<std::byte, kRecorderBytes>;

// The recorder's state (offset 144); the reader runs while it is 1 or 3.
[[nodiscard]] std::int32_t recorderState(const RecorderSnapshot& snapshot);
[[nodiscard]] bool recorderRecording(const RecorderSnapshot& snapshot);

// "N players reported by Recorder; " and the names, then player 1's allies:
// "N players reported by Recorder; a, b; Player:a is allied with: b", or
// "...; Player:a, allied no one." when no listed player is allied.
[[nodiscard]] text::Gbk recorderReport(const RecorderSnapshot& snapshot);

}  // namespace ardentis::game
