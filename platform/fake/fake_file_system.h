#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/file_system.h"

namespace ardentis::platform {

// Files held in memory, named by their exact path bytes; a path names a file only when a
// test has added it, so directories never count as files.
class FakeFileSystem final : public FileSystem {
  public:
    [[nodiscard]] bool fileExists(const text::Gbk& path) const override;
    [[nodiscard]] std::expected<std::string, OsError> readFile(
        const text::Gbk& path) const override;
    [[nodiscard]] std::expected<text::Gbk, OsError> executableDirectory() const override;
    // Refused for a path the test has made unwritable, as for a read-only directory.
    [[nodiscard]] std::expected<void, OsError> writeFile(const text::Gbk& path,
                                                         std::string_view bytes) override;

    void addFile(const text::Gbk& path, std::string content = {});
    void removeFile(const text::Gbk& path);
    void refuseWrites(const text::Gbk& path) { unwritable_.insert(path.bytes()); }
    // Empty by default, so that files added by bare name lie beside the executable.
    void setExecutableDirectory(text::Gbk directory) {
        executableDirectory_ = std::move(directory);
    }

  private:
    std::map<std::string, std::string> files_;
    std::set<std::string> unwritable_;
    text::Gbk executableDirectory_;
};

}  // namespace ardentis::platform
