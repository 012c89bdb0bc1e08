#include "tests/support/scratch_directory.h"

namespace ardentis::testing {

// Linux paths are the bytes themselves.
text::Gbk gbkPath(const std::filesystem::path& path) {
    return text::Gbk(path.native());
}

std::filesystem::path pathOf(const text::Gbk& path) {
    return std::filesystem::path(path.bytes());
}

}  // namespace ardentis::testing
