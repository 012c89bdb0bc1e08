#pragma once

#include <filesystem>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/append_file.h"

namespace ardentis::platform {

// Appends the bytes at the end of the file in one write, creating the file when it is
// missing. Concurrent appenders (threads or processes) never split or overwrite each
// other's bytes. Returns false when the file cannot be opened or written.
[[nodiscard]] bool appendToFile(const std::filesystem::path& path, std::string_view bytes) noexcept;

// The file at the path, appended to through appendToFile.
class AppendFileAt final : public AppendFile {
  public:
    explicit AppendFileAt(std::filesystem::path path) : path_(std::move(path)) {}
    [[nodiscard]] bool append(std::string_view bytes) const noexcept override {
        return appendToFile(path_, bytes);
    }
    [[nodiscard]] const std::filesystem::path& path() const noexcept override { return path_; }

  private:
    std::filesystem::path path_;
};

[[nodiscard]] inline std::unique_ptr<AppendFile> appendFileAt(std::filesystem::path path) {
    return std::make_unique<AppendFileAt>(std::move(path));
}

// The directory that holds the running executable.
[[nodiscard]] std::filesystem::path executableDirectory();

}  // namespace ardentis::platform
