#include <stdexcept>

#include "platform/win32/wide_text.h"
#include "tests/support/scratch_directory.h"

namespace ardentis::testing {

text::Gbk gbkPath(const std::filesystem::path& path) {
    auto bytes = platform::wideToGbk(path.native());
    if (!bytes) {
        throw std::runtime_error("a test path without a code page 936 form");
    }
    return *bytes;
}

std::filesystem::path pathOf(const text::Gbk& path) {
    auto wide = platform::gbkToWide(path.view());
    if (!wide) {
        throw std::runtime_error("test path bytes that are not code page 936");
    }
    return std::filesystem::path(*wide);
}

}  // namespace ardentis::testing
