#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>

#include "platform/file_system.h"
#include "platform/win32/wide_text.h"

namespace ardentis::platform {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

OsError lastError(const char* api) {
    return {api, static_cast<int>(GetLastError())};
}

}  // namespace

bool SystemFileSystem::fileExists(const text::Gbk& path) const {
    auto wide = gbkToWide(path.view());
    if (!wide || wide->empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::expected<std::string, OsError> SystemFileSystem::readFile(const text::Gbk& path) const {
    auto wide = gbkToWide(path.view());
    if (!wide) {
        return std::unexpected(OsError{"MultiByteToWideChar", ERROR_NO_UNICODE_TRANSLATION});
    }
    HANDLE opened = CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return std::unexpected(lastError("CreateFileW"));
    }
    UniqueHandle file(opened);
    std::string content;
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) == 0) {
            return std::unexpected(lastError("ReadFile"));
        }
        if (got == 0) {
            return content;
        }
        content.append(buffer, got);
    }
}

std::expected<void, OsError> SystemFileSystem::writeFile(const text::Gbk& path,
                                                         std::string_view bytes) {
    auto wide = gbkToWide(path.view());
    if (!wide) {
        return std::unexpected(OsError{"MultiByteToWideChar", ERROR_NO_UNICODE_TRANSLATION});
    }
    HANDLE opened = CreateFileW(wide->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return std::unexpected(lastError("CreateFileW"));
    }
    UniqueHandle file(opened);
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 20U));
        DWORD written = 0;
        if (WriteFile(file.get(), bytes.data(), chunk, &written, nullptr) == 0) {
            return std::unexpected(lastError("WriteFile"));
        }
        bytes.remove_prefix(written);
    }
    return {};
}

std::expected<text::Gbk, OsError> SystemFileSystem::executableDirectory() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::unexpected(lastError("GetModuleFileNameW"));
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L"\\/") + 1);
    auto bytes = wideToGbk(path);
    if (!bytes) {
        return std::unexpected(OsError{"WideCharToMultiByte", ERROR_NO_UNICODE_TRANSLATION});
    }
    return *std::move(bytes);
}

}  // namespace ardentis::platform
