// The options store on the real registry of this build tree's Wine prefix and real files.
#include <filesystem>

#include "platform/win32/win32_registry.h"
#include "tests/settings/options_store_world.h"
#include "tests/support/scratch_directory.h"
#include "tests/win32/raw_registry.h"

namespace ardentis::testing {
namespace {

class Win32StoreWorld final : public StoreWorld {
  public:
    Win32StoreWorld() { cleanUp(); }
    ~Win32StoreWorld() override { cleanUp(); }
    platform::Registry& registry() override { return registry_; }
    platform::FileSystem& files() override { return files_; }
    text::Gbk directory(std::string_view name) override {
        std::filesystem::create_directories(scratch_.path() / name);
        return scratch_.gbk() + text::Gbk(name) + text::Gbk("\\");
    }
    void addFile(const text::Gbk& path) override { scratch_.addFile(pathOf(path)); }

  private:
    static void cleanUp() {
        deleteRawTree(RawHive::CurrentUser, L"Software\\Morvane");
        deleteRawTree(RawHive::CurrentUser, L"Software\\Yankspankers");
        deleteRawTree(RawHive::LocalMachine,
                      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                      L"{25A1E6A4-2DBD-4AC0-8650-8EA9A45B183D}");
    }
    platform::Win32Registry registry_;
    platform::SystemFileSystem files_;
    ScratchDirectory scratch_;
};

INSTANTIATE_TEST_SUITE_P(Win32, OptionsStoreTest,
                         ::testing::Values(&makeWorld<Win32StoreWorld, StoreWorld>), WorldName());

}  // namespace
}  // namespace ardentis::testing
