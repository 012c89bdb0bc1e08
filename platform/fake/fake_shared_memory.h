#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/shared_memory.h"

namespace ardentis::platform {

// Named shared memory in this process: a simulated program creates a mapping and writes
// it; views opened on it see its bytes as they are at each read.
class FakeSharedMemory final : public SharedMemory {
  public:
    using Bytes = std::vector<std::byte>;

    [[nodiscard]] std::expected<std::unique_ptr<SharedMemoryView>, OsError> openMapping(
        std::string_view name, std::size_t size) override;

    // Creates the mapping, zero-filled, as its owner program does; returns its bytes.
    std::shared_ptr<Bytes> create(std::string_view name, std::size_t size);
    // The owner has closed it; views already open keep the bytes, as with the real thing.
    void remove(std::string_view name);
    [[nodiscard]] int openCount() const { return opens_; }

  private:
    std::map<std::string, std::shared_ptr<Bytes>, std::less<>> mappings_;
    int opens_ = 0;
};

}  // namespace ardentis::platform
