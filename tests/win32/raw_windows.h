#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ardentis::testing {

// SPI_GETSCREENSAVERRUNNING straight from the system.
[[nodiscard]] bool rawScreenSaverRunning();

// A named file mapping of this process, as the demo recorder makes its own.
class RawMapping {
  public:
    RawMapping(const std::wstring& name, std::size_t size);
    ~RawMapping();
    RawMapping(const RawMapping&) = delete;
    RawMapping& operator=(const RawMapping&) = delete;
    void write(std::size_t offset, std::uint8_t value) { view_[offset] = value; }

  private:
    void* handle_ = nullptr;
    std::uint8_t* view_ = nullptr;
};

}  // namespace ardentis::testing
