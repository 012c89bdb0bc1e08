#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "text/gbk.h"

namespace ardentis::testing {

// The path in code page 936 bytes, as the settings hold paths (per-OS).
[[nodiscard]] text::Gbk gbkPath(const std::filesystem::path& path);
[[nodiscard]] std::filesystem::path pathOf(const text::Gbk& path);

// A fresh directory under the system's temporary directory, removed with everything in it
// at the end of the object.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    // The directory with its trailing separator, as a game directory setting holds it.
    [[nodiscard]] text::Gbk gbk() const;
    // Writes a file (the name relative to the directory), creating its parents.
    void addFile(const std::filesystem::path& name, std::string_view content = {}) const;

  private:
    std::filesystem::path path_;
};

}  // namespace ardentis::testing
