// The real Windows implementations under the contracts, with the worlds reached straight
// through the system.
#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_game_windows.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shared_memory.h"
#include "platform/win32/win32_system_info.h"
#include "tests/platform/contracts.h"
#include "tests/win32/raw_registry.h"
#include "tests/win32/raw_windows.h"
#include "text/code_page.h"

namespace ardentis::testing {
namespace {

using platform::RegistryHive;
using text::Gbk;

std::wstring wide(const std::string& utf8) {
    return platform::gbkToWide(text::gbk(utf8).view()).value();
}

RawHive rawOf(RegistryHive hive) {
    return hive == RegistryHive::LocalMachine ? RawHive::LocalMachine : RawHive::CurrentUser;
}

class Win32RegistryWorld final : public RegistryWorld {
  public:
    Win32RegistryWorld() { cleanUp(); }
    ~Win32RegistryWorld() override { cleanUp(); }
    platform::Registry& registry() override { return registry_; }
    void plantText(RegistryHive hive, const std::string& path, const std::string& name,
                   const std::string& utf8) override {
        writeRawText(rawOf(hive), wide(path), wide(name), wide(utf8));
    }
    std::optional<Stored> inspect(RegistryHive hive, const std::string& path,
                                  const std::string& name) override {
        const auto raw = readRawValue(rawOf(hive), wide(path), wide(name));
        if (!raw) {
            return std::nullopt;
        }
        const Kind kind = raw->type == kRawRegSz      ? Kind::Text
                          : raw->type == kRawRegDword ? Kind::Dword
                                                      : Kind::Other;
        return Stored{kind, text::toUtf8(platform::wideToGbk(raw->text).value()).value_or("?")};
    }

  private:
    static void cleanUp() {
        deleteRawTree(RawHive::CurrentUser, wide(kScratchKey));
        deleteRawTree(RawHive::LocalMachine, wide(kScratchKey));
    }
    platform::Win32Registry registry_;
};

class Win32SharedMemoryWorld final : public SharedMemoryWorld {
  public:
    platform::SharedMemory& memory() override { return memory_; }
    void create(const std::string& name, std::size_t size) override {
        mapping_ = std::make_unique<RawMapping>(wide(name), size);
    }
    void write(std::size_t offset, std::uint8_t value) override { mapping_->write(offset, value); }
    void close() override { mapping_.reset(); }

  private:
    platform::Win32SharedMemory memory_;
    std::unique_ptr<RawMapping> mapping_;
};

class Win32GameWindowsWorld final : public GameWindowsWorld {
  public:
    platform::GameWindows& windows() override { return windows_; }
    void open(const std::string& title, platform::Rgb colour) override {
        opened_.push_back(
            std::make_unique<RawColourWindow>(wide(title), colour.r, colour.g, colour.b));
    }
    std::string mouseLog() const override {
        std::string log;
        for (const auto& window : opened_) {
            log += text::toUtf8(platform::wideToGbk(window->mouseLog()).value()).value_or("?");
        }
        return log;
    }
    void settle() override { RawColourWindow::pump(); }

  private:
    platform::Win32GameWindows windows_;
    std::vector<std::unique_ptr<RawColourWindow>> opened_;
};

class Win32SystemInfoWorld final : public SystemInfoWorld {
  public:
    platform::SystemInfo& system() override { return system_; }
    bool screenSaverRunning() const override { return rawScreenSaverRunning(); }

  private:
    platform::Win32SystemInfo system_;
};

INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract,
                         ::testing::Values(&makeWorld<Win32RegistryWorld, RegistryWorld>),
                         WorldName());
INSTANTIATE_TEST_SUITE_P(Win32, SharedMemoryContract,
                         ::testing::Values(&makeWorld<Win32SharedMemoryWorld, SharedMemoryWorld>),
                         WorldName());
INSTANTIATE_TEST_SUITE_P(Win32, GameWindowsContract,
                         ::testing::Values(&makeWorld<Win32GameWindowsWorld, GameWindowsWorld>),
                         WorldName());
INSTANTIATE_TEST_SUITE_P(Win32, SystemInfoContract,
                         ::testing::Values(&makeWorld<Win32SystemInfoWorld, SystemInfoWorld>),
                         WorldName());

// What only the real side can meet: text the wide API cannot be given, a missing program.
TEST(Win32Registry, BytesThatAreNotGbkAreRefusedNotMangled) {
    Win32RegistryWorld world;
    auto key = world.registry().createKey(RegistryHive::CurrentUser, kScratchKey);
    ASSERT_TRUE(key.has_value());
    auto written = (*key)->writeText("TAdir", Gbk(std::string("C:\\\xFF\\")));
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().fault, platform::RegistryFault::Unconvertible);
    EXPECT_FALSE(world.inspect(RegistryHive::CurrentUser, kScratchKey, "TAdir").has_value());
}

TEST(Win32ProcessLauncher, AMissingExecutableIsReported) {
    platform::Win32ProcessLauncher launcher;
    EXPECT_FALSE(launcher
                     .shellExecute(Gbk("C:\\no such directory\\totala.exe"), Gbk("-c tmphost.ini"),
                                   platform::WindowMode::Maximized)
                     .has_value());
}

}  // namespace
}  // namespace ardentis::testing
