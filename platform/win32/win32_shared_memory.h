#pragma once

#include "platform/shared_memory.h"

namespace ardentis::platform {

// OpenFileMappingW and MapViewOfFile on another program's named mapping.
class Win32SharedMemory final : public SharedMemory {
  public:
    [[nodiscard]] std::expected<std::unique_ptr<SharedMemoryView>, OsError> openMapping(
        std::string_view name, std::size_t size) override;
};

}  // namespace ardentis::platform
