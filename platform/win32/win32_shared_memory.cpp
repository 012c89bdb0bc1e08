#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_shared_memory.h"

namespace ardentis::platform {
namespace {

class Win32View final : public SharedMemoryView {
  public:
    Win32View(HANDLE mapping, void* view, std::size_t size)
        : mapping_(mapping), view_(view), size_(size) {}
    ~Win32View() override {
        UnmapViewOfFile(view_);
        CloseHandle(mapping_);
    }
    Win32View(const Win32View&) = delete;
    Win32View& operator=(const Win32View&) = delete;

    void read(std::span<std::byte> into) const override {
        const std::size_t n = std::min(into.size(), size_);
        std::memcpy(into.data(), view_, n);
        std::memset(into.data() + n, 0, into.size() - n);
    }

  private:
    HANDLE mapping_;
    void* view_;
    std::size_t size_;
};

}  // namespace

std::expected<std::unique_ptr<SharedMemoryView>, OsError> Win32SharedMemory::openMapping(
    std::string_view name, std::size_t size) {
    const auto wide = gbkToWide(name);
    if (!wide) {
        return std::unexpected(OsError{"MultiByteToWideChar", ERROR_NO_UNICODE_TRANSLATION});
    }
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, wide->c_str());
    if (mapping == nullptr) {
        return std::unexpected(OsError{"OpenFileMappingW", static_cast<int>(GetLastError())});
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (view == nullptr) {
        const auto code = static_cast<int>(GetLastError());
        CloseHandle(mapping);
        return std::unexpected(OsError{"MapViewOfFile", code});
    }
    return std::make_unique<Win32View>(mapping, view, size);
}

}  // namespace ardentis::platform
