#pragma once

#include <cstddef>
#include <expected>
#include <memory>
#include <span>
#include <string_view>

#include "platform/os_error.h"

namespace ardentis::platform {

// A mapped view of another program's named shared memory; unmapped and closed when the
// object goes. The other program writes it without any lock shared with this one.
class SharedMemoryView {
  public:
    virtual ~SharedMemoryView() = default;
    // Copies the first into.size() bytes of the view in one pass.
    virtual void read(std::span<std::byte> into) const = 0;
};

class SharedMemory {
  public:
    virtual ~SharedMemory() = default;
    // Opens the existing mapping of that name (write access asked, handle not inherited)
    // and maps a view of its first `size` bytes; fails when no program has created it.
    [[nodiscard]] virtual std::expected<std::unique_ptr<SharedMemoryView>, OsError> openMapping(
        std::string_view name, std::size_t size) = 0;
};

}  // namespace ardentis::platform
