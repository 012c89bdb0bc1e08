#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/file_append.h"

namespace ardentis::platform {
namespace {

class UniqueFd {
  public:
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    [[nodiscard]] int get() const noexcept { return fd_; }

  private:
    int fd_;
};

}  // namespace

bool appendToFile(const std::filesystem::path& path, std::string_view bytes) noexcept {
    // O_APPEND makes the kernel move to the end and write in one step, so lines from other
    // threads and processes land whole after each other.
    const UniqueFd file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (file.get() < 0) {
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(file.get(), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        // A regular file takes the whole line at once; a short write (a full disk, a
        // signal) is finished rather than lost.
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::filesystem::path executableDirectory() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path(error);
    }
    return self.parent_path();
}

}  // namespace ardentis::platform
