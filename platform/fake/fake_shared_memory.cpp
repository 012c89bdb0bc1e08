#include "platform/fake/fake_shared_memory.h"

#include <algorithm>

namespace ardentis::platform {
namespace {

constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;

class FakeView final : public SharedMemoryView {
  public:
    explicit FakeView(std::shared_ptr<FakeSharedMemory::Bytes> bytes) : bytes_(std::move(bytes)) {}
    void read(std::span<std::byte> into) const override {
        const std::size_t n = std::min(into.size(), bytes_->size());
        std::copy_n(bytes_->begin(), n, into.begin());
        std::fill(into.begin() + static_cast<std::ptrdiff_t>(n), into.end(), std::byte{0});
    }

  private:
    std::shared_ptr<FakeSharedMemory::Bytes> bytes_;
};

}  // namespace

std::expected<std::unique_ptr<SharedMemoryView>, OsError> FakeSharedMemory::openMapping(
    std::string_view name, std::size_t size) {
    const auto found = mappings_.find(name);
    if (found == mappings_.end()) {
        return std::unexpected(OsError{"OpenFileMappingW", kFileNotFound});
    }
    if (found->second->size() < size) {
        return std::unexpected(OsError{"MapViewOfFile", kAccessDenied});
    }
    ++opens_;
    return std::make_unique<FakeView>(found->second);
}

std::shared_ptr<FakeSharedMemory::Bytes> FakeSharedMemory::create(std::string_view name,
                                                                  std::size_t size) {
    auto bytes = std::make_shared<Bytes>(size, std::byte{0});
    mappings_[std::string(name)] = bytes;
    return bytes;
}

void FakeSharedMemory::remove(std::string_view name) {
    if (const auto found = mappings_.find(name); found != mappings_.end()) {
        mappings_.erase(found);
    }
}

}  // namespace ardentis::platform
