#include "platform/fake/fake_file_system.h"

#include <utility>

namespace ardentis::platform {
namespace {

constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;

}  // namespace

bool FakeFileSystem::fileExists(const text::Gbk& path) const {
    return files_.contains(path.bytes());
}

std::expected<std::string, OsError> FakeFileSystem::readFile(const text::Gbk& path) const {
    const auto file = files_.find(path.bytes());
    if (file == files_.end()) {
        return std::unexpected(OsError{"CreateFileW", kFileNotFound});
    }
    return file->second;
}

std::expected<text::Gbk, OsError> FakeFileSystem::executableDirectory() const {
    return executableDirectory_;
}

std::expected<void, OsError> FakeFileSystem::writeFile(const text::Gbk& path,
                                                       std::string_view bytes) {
    if (unwritable_.contains(path.bytes())) {
        return std::unexpected(OsError{"CreateFileW", kAccessDenied});
    }
    files_[path.bytes()] = std::string(bytes);
    return {};
}

void FakeFileSystem::addFile(const text::Gbk& path, std::string content) {
    files_[path.bytes()] = std::move(content);
}

void FakeFileSystem::removeFile(const text::Gbk& path) {
    files_.erase(path.bytes());
}

}  // namespace ardentis::platform
