// Where the client's traffic log goes, decided over the in-memory file system: beside the
// executable when the file there takes an append, else in the user's own folder, else nowhere.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/traffic_log_place.h"
#include "platform/fake/fake_file_system.h"

namespace ardentis::app {
namespace {

using platform::FakeFileSystem;

// Appends to a file of the in-memory file system, which refuses the paths the test says.
class FakeAppendFile final : public platform::AppendFile {
  public:
    FakeAppendFile(FakeFileSystem& files, std::filesystem::path path)
        : files_(&files), path_(std::move(path)) {}
    [[nodiscard]] bool append(std::string_view bytes) const noexcept override {
        const text::Gbk name(path_.string());
        const std::string before = files_->readFile(name).value_or(std::string());
        return files_->writeFile(name, before + std::string(bytes)).has_value();
    }
    [[nodiscard]] const std::filesystem::path& path() const noexcept override { return path_; }

  private:
    FakeFileSystem* files_;
    std::filesystem::path path_;
};

struct Place {
    const char* name;
    bool besideWritable;
    std::optional<std::filesystem::path> userFolder;
    bool userWritable;
    const char* expected;  // empty: the log is off
};

void PrintTo(const Place& place, std::ostream* out) {
    *out << place.name;
}

class TrafficLogPlace : public ::testing::TestWithParam<Place> {};

TEST_P(TrafficLogPlace, IsTheFirstFolderThatTakesAnAppend) {
    const Place& place = GetParam();
    FakeFileSystem files;
    if (!place.besideWritable) {
        files.refuseWrites(text::Gbk("/programs/Ardentis/ardentisclient.log"));
    }
    if (!place.userWritable) {
        files.refuseWrites(text::Gbk("/local/Ardentis/ardentisclient.log"));
    }
    int asked = 0;
    const auto file = openTrafficLog(
        "/programs/Ardentis",
        [&] {
            ++asked;
            return place.userFolder;
        },
        [&](const std::filesystem::path& path) {
            return std::make_unique<FakeAppendFile>(files, path);
        });
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->path(), std::filesystem::path(place.expected));
    // The chosen file takes the lines; with none, lines are dropped and nothing fails.
    EXPECT_EQ(file->append("line\r\n"), !file->path().empty());
    // The user's folder is made only when the executable's folder will not do.
    EXPECT_EQ(asked, place.besideWritable ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Folders, TrafficLogPlace,
                         ::testing::Values(Place{"PortableCopy", true, "/local/Ardentis", true,
                                                 "/programs/Ardentis/ardentisclient.log"},
                                           Place{"InstalledForTheMachine", false, "/local/Ardentis",
                                                 true, "/local/Ardentis/ardentisclient.log"},
                                           Place{"NeitherWritable", false, "/local/Ardentis", false,
                                                 ""},
                                           Place{"NoUserFolder", false, std::nullopt, true, ""}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace ardentis::app
