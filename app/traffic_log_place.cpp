#include "app/traffic_log_place.h"

#include <string_view>

namespace ardentis::app {
namespace {

constexpr std::string_view kLogName = "ardentisclient.log";

// The log when no place takes it: every line is dropped, as for a file that cannot be written.
class NoLog final : public platform::AppendFile {
  public:
    [[nodiscard]] bool append(std::string_view /*bytes*/) const noexcept override { return false; }
    [[nodiscard]] const std::filesystem::path& path() const noexcept override { return none_; }

  private:
    std::filesystem::path none_;
};

// The file in the folder, when appending nothing to it works: it opens for appending there.
std::unique_ptr<platform::AppendFile> openIfWritable(const std::filesystem::path& folder,
                                                     const OpenAppendFile& open) {
    auto file = open(folder / kLogName);
    if (file && file->append({})) {
        return file;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<platform::AppendFile> openTrafficLog(const std::filesystem::path& executableFolder,
                                                     const UserFolder& userFolder,
                                                     const OpenAppendFile& open) {
    if (auto beside = openIfWritable(executableFolder, open)) {
        return beside;
    }
    if (const auto folder = userFolder()) {
        if (auto own = openIfWritable(*folder, open)) {
            return own;
        }
    }
    return std::make_unique<NoLog>();
}

}  // namespace ardentis::app
