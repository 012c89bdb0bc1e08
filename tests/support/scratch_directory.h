#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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
    // A path inside the directory, for a file the code under test makes.
    [[nodiscard]] std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }
    // The directory with its trailing separator, as a game directory setting holds it.
    [[nodiscard]] text::Gbk gbk() const;
    // Writes a file (the name relative to the directory), creating its parents.
    void addFile(const std::filesystem::path& name, std::string_view content = {}) const;

  private:
    std::filesystem::path path_;
};

// The whole file as bytes; empty when it does not exist.
[[nodiscard]] std::string readFile(const std::filesystem::path& file);
// The bytes cut at CR LF; a final piece without CR LF is returned as well.
[[nodiscard]] std::vector<std::string> lines(const std::string& bytes);

}  // namespace ardentis::testing
