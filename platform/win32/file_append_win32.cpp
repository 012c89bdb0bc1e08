#include <windows.h>

#include <string>

#include "platform/file_append.h"

namespace ardentis::platform {
namespace {

class UniqueHandle {
  public:
    explicit UniqueHandle(HANDLE handle) noexcept : handle_(handle) {}
    ~UniqueHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    [[nodiscard]] HANDLE get() const noexcept { return handle_; }

  private:
    HANDLE handle_;
};

// Waits for an exclusive lock on every byte the file has or could have; unlocks before the
// handle closes, since a lock left to the close is released only some time later.
class WholeFileLock {
  public:
    explicit WholeFileLock(HANDLE file) noexcept : file_(file) {
        OVERLAPPED whole{};
        held_ = LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) != FALSE;
    }
    ~WholeFileLock() {
        if (held_) {
            OVERLAPPED whole{};
            UnlockFileEx(file_, 0, MAXDWORD, MAXDWORD, &whole);
        }
    }
    WholeFileLock(const WholeFileLock&) = delete;
    WholeFileLock& operator=(const WholeFileLock&) = delete;

    [[nodiscard]] bool held() const noexcept { return held_; }

  private:
    HANDLE file_;
    bool held_ = false;
};

}  // namespace

bool appendToFile(const std::filesystem::path& path, std::string_view bytes) noexcept {
    // Append-only access (no FILE_WRITE_DATA) sends every write to the current end of the
    // file; the sharing lets other writers hold the file open meanwhile.
    const UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Windows finds the end and writes in one step, but Wine writes at the end it saw a
    // moment before, so two appenders can overwrite each other's lines. Every appender
    // therefore holds an exclusive lock over the whole file while it writes.
    const WholeFileLock lock(file.get());
    if (!lock.held()) {
        return false;
    }
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > MAXDWORD ? MAXDWORD : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (WriteFile(file.get(), bytes.data(), chunk, &written, nullptr) == FALSE ||
            written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

std::filesystem::path executableDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        // A result that fills the buffer may have been cut; try again with more room.
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace ardentis::platform
