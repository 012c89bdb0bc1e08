#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ardentis::sim {

// The TA Demo recorder's named shared memory "TADemo-MKChat", created by this process and
// filled as the recorder fills it: the state (int32) at 144, player i's name at 128 + 20 i
// (a length byte, then up to 19 characters), and at 508 + 4 i an int32 that is non-zero
// while player i is allied with player 1, for i = 1 to 10. Removed when the object goes
// and no other process holds it open.
class RecorderMapping {
  public:
    static constexpr std::size_t kSize = 1220;
    static constexpr int kSlots = 10;

    enum class OpenResult { Created, AlreadyExists, Failed };

    RecorderMapping() = default;
    ~RecorderMapping();
    RecorderMapping(const RecorderMapping&) = delete;
    RecorderMapping& operator=(const RecorderMapping&) = delete;

    [[nodiscard]] OpenResult create();

    void setState(std::int32_t state);
    // Slots outside 1 to 10 are ignored; an empty name empties the slot.
    void setPlayer(int slot, std::string_view name);
    void setAllied(int slot, bool allied);

  private:
    void putInt(std::size_t offset, std::int32_t value);

    void* handle_ = nullptr;
    std::byte* view_ = nullptr;
};

}  // namespace ardentis::sim
