#include "platform/win32/win32_system_info.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace ardentis::platform {
namespace {

OsError lastError(const char* api) {
    return {api, static_cast<int>(GetLastError())};
}

std::expected<std::wstring, OsError> ownExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::unexpected(lastError("GetModuleFileNameW"));
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::expected<std::uint32_t, OsError> Win32SystemInfo::volumeSerialNumber(
    std::string_view rootPath) const {
    auto root = gbkToWide(rootPath);
    if (!root) {
        return std::unexpected(OsError{"MultiByteToWideChar", ERROR_NO_UNICODE_TRANSLATION});
    }
    DWORD serial = 0;
    if (GetVolumeInformationW(root->c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) ==
        0) {
        return std::unexpected(lastError("GetVolumeInformationW"));
    }
    return static_cast<std::uint32_t>(serial);
}

std::expected<FileVersion, OsError> Win32SystemInfo::ownFileVersion() const {
    auto path = ownExecutablePath();
    if (!path) {
        return std::unexpected(path.error());
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path->c_str(), &ignored);
    if (size == 0) {
        return std::unexpected(lastError("GetFileVersionInfoSizeW"));
    }
    std::vector<unsigned char> block(size);
    if (GetFileVersionInfoW(path->c_str(), 0, size, block.data()) == 0) {
        return std::unexpected(lastError("GetFileVersionInfoW"));
    }
    void* root = nullptr;
    UINT rootSize = 0;
    if (VerQueryValueW(block.data(), L"\\", &root, &rootSize) == 0 ||
        rootSize < sizeof(VS_FIXEDFILEINFO)) {
        return std::unexpected(OsError{"VerQueryValueW", ERROR_RESOURCE_TYPE_NOT_FOUND});
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(root);
    return FileVersion{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

std::expected<void, OsError> Win32SystemInfo::setSystemParameter(std::uint32_t action,
                                                                 std::uint32_t value) {
    if (SystemParametersInfoW(action, value, nullptr, 0) == 0) {
        return std::unexpected(lastError("SystemParametersInfoW"));
    }
    return {};
}

}  // namespace ardentis::platform
