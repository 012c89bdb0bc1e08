#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_system.h"

namespace ardentis::platform {

// Linux paths are byte strings, so the code page 936 bytes are used as they are.

bool SystemFileSystem::fileExists(const text::Gbk& path) const {
    struct stat status {};
    return !path.empty() && ::stat(path.bytes().c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::expected<std::string, OsError> SystemFileSystem::readFile(const text::Gbk& path) const {
    std::ifstream file(path.bytes(), std::ios::binary);
    if (!file) {
        return std::unexpected(OsError{"open", errno});
    }
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        return std::unexpected(OsError{"read", errno});
    }
    return content;
}

std::expected<void, OsError> SystemFileSystem::writeFile(const text::Gbk& path,
                                                         std::string_view bytes) {
    std::ofstream file(path.bytes(), std::ios::binary | std::ios::trunc);
    if (!file) {
        return std::unexpected(OsError{"open", errno});
    }
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        return std::unexpected(OsError{"write", errno});
    }
    return {};
}

std::expected<text::Gbk, OsError> SystemFileSystem::executableDirectory() const {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return std::unexpected(OsError{"readlink", errno});
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.rfind('/') + 1);
    return text::Gbk(std::move(path));
}

}  // namespace ardentis::platform
