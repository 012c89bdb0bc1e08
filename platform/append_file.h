#pragma once

#include <filesystem>
#include <string_view>

namespace ardentis::platform {

// A file that is only ever appended to, each write landing whole at its end even when
// threads or processes append at once.
class AppendFile {
  public:
    virtual ~AppendFile() = default;
    // False when the file cannot be opened or written.
    [[nodiscard]] virtual bool append(std::string_view bytes) const noexcept = 0;
    [[nodiscard]] virtual const std::filesystem::path& path() const noexcept = 0;
};

}  // namespace ardentis::platform
