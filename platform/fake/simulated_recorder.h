#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/fake/fake_shared_memory.h"

namespace ardentis::platform {

// The TA Demo recorder's shared memory "TADemo-MKChat" as it keeps it: the state at 144,
// player i's name (length byte, up to 19 characters) at 128 + 20 i, and player i's alliance
// with player 1 at 508 + 4 i, for i = 1 to 10.
class SimulatedRecorder {
  public:
    static constexpr std::string_view kMappingName = "TADemo-MKChat";
    static constexpr std::size_t kSize = 1220;

    explicit SimulatedRecorder(FakeSharedMemory& memory)
        : bytes_(memory.create(kMappingName, kSize)) {}

    void setState(std::int32_t state) { putInt(144, state); }
    void setPlayer(int slot, std::string_view name);
    void setAllied(int slot, bool allied) {
        putInt(508 + 4 * static_cast<std::size_t>(slot), allied ? 1 : 0);
    }

  private:
    void putInt(std::size_t offset, std::int32_t value);

    std::shared_ptr<FakeSharedMemory::Bytes> bytes_;
};

inline void SimulatedRecorder::setPlayer(int slot, std::string_view name) {
    const std::size_t offset = 128 + 20 * static_cast<std::size_t>(slot);
    const std::size_t length = std::min<std::size_t>(name.size(), 19);
    (*bytes_)[offset] = static_cast<std::byte>(length);
    for (std::size_t i = 0; i < 19; ++i) {
        (*bytes_)[offset + 1 + i] = i < length ? static_cast<std::byte>(name[i]) : std::byte{0};
    }
}

inline void SimulatedRecorder::putInt(std::size_t offset, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        (*bytes_)[offset + i] = static_cast<std::byte>((bits >> (8U * i)) & 0xFFU);
    }
}

}  // namespace ardentis::platform
