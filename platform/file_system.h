#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "platform/os_error.h"
#include "text/gbk.h"

namespace ardentis::platform {

// Files as the settings and the mod table name them: code page 936 paths, joined by plain
// concatenation. A relative path is taken from the process's current directory.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // True only for an existing file; a directory of that name does not count.
    [[nodiscard]] virtual bool fileExists(const text::Gbk& path) const = 0;
    // The whole content, byte for byte.
    [[nodiscard]] virtual std::expected<std::string, OsError> readFile(
        const text::Gbk& path) const = 0;
    // The directory of the running executable, ending with the path separator.
    [[nodiscard]] virtual std::expected<text::Gbk, OsError> executableDirectory() const = 0;
    // Creates the file, or empties an existing one, and writes exactly these bytes.
    [[nodiscard]] virtual std::expected<void, OsError> writeFile(const text::Gbk& path,
                                                                 std::string_view bytes) = 0;
};

// The machine's own files (per-OS implementation).
class SystemFileSystem final : public FileSystem {
  public:
    [[nodiscard]] bool fileExists(const text::Gbk& path) const override;
    [[nodiscard]] std::expected<std::string, OsError> readFile(
        const text::Gbk& path) const override;
    [[nodiscard]] std::expected<text::Gbk, OsError> executableDirectory() const override;
    [[nodiscard]] std::expected<void, OsError> writeFile(const text::Gbk& path,
                                                         std::string_view bytes) override;
};

}  // namespace ardentis::platform
