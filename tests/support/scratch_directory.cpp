#include "tests/support/scratch_directory.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include "platform/win32/wide_text.h"
#endif

namespace ardentis::testing {

// Linux paths are the bytes themselves; a Windows path with no code page 936 form throws.
text::Gbk gbkPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return platform::wideToGbk(path.native()).value();
#else
    return text::Gbk(path.native());
#endif
}

std::filesystem::path pathOf(const text::Gbk& path) {
#ifdef _WIN32
    return {platform::gbkToWide(path.view()).value()};
#else
    return {path.bytes()};
#endif
}

ScratchDirectory::ScratchDirectory() {
    std::random_device random;
    do {  // creating one throws when the temporary directory takes none
        path_ =
            std::filesystem::temp_directory_path() / ("ardentis-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

text::Gbk ScratchDirectory::gbk() const {
    return gbkPath(path_) + text::Gbk(std::string(1, std::filesystem::path::preferred_separator));
}

void ScratchDirectory::addFile(const std::filesystem::path& name, std::string_view content) const {
    const auto file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) {
        throw std::runtime_error("cannot write a scratch file");
    }
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> result;
    for (std::size_t start = 0, end = 0; start < bytes.size(); start = end + 2) {
        end = std::min(bytes.find("\r\n", start), bytes.size());
        result.push_back(bytes.substr(start, end - start));
    }
    return result;
}

}  // namespace ardentis::testing
