#include <windows.h>

#include "tests/win32/raw_windows.h"

namespace ardentis::testing {

bool rawScreenSaverRunning() {
    BOOL running = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running != FALSE;
}

RawMapping::RawMapping(const std::wstring& name, std::size_t size)
    : handle_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                 static_cast<DWORD>(size), name.c_str())),
      view_(static_cast<std::uint8_t*>(MapViewOfFile(handle_, FILE_MAP_WRITE, 0, 0, size))) {}

RawMapping::~RawMapping() {
    UnmapViewOfFile(view_);
    CloseHandle(handle_);
}

}  // namespace ardentis::testing
