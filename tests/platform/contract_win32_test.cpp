// The real Windows implementations under the contracts, with the worlds reached straight
// through the system. The game windows meet real windows in tests/win32_games.
#include "platform/win32/wide_text.h"
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
                   const std::string& text) override {
        writeRawText(rawOf(hive), wide(path), wide(name), wide(text));
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

class Win32SystemInfoWorld final : public SystemInfoWorld {
  public:
    platform::SystemInfo& system() override { return system_; }
    bool screenSaverRunning() const override { return rawScreenSaverRunning(); }

  private:
    platform::Win32SystemInfo system_;
};

CONTRACT_WORLD(Win32, RegistryContract, Win32RegistryWorld, RegistryWorld);
CONTRACT_WORLD(Win32, SharedMemoryContract, Win32SharedMemoryWorld, SharedMemoryWorld);
CONTRACT_WORLD(Win32, SystemInfoContract, Win32SystemInfoWorld, SystemInfoWorld);

// What only the real side can meet: text the wide API cannot be given, a missing program.
TEST(Win32Platform, BytesThatAreNotGbkAreRefusedNotMangledAndAMissingProgramIsReported) {
    Win32RegistryWorld world;
    auto key = world.registry().createKey(RegistryHive::CurrentUser, kScratchKey);
    ASSERT_TRUE(key.has_value());
    auto written = (*key)->writeText("TAdir", Gbk(std::string("C:\\\xFF\\")));
    ASSERT_FALSE(written.has_value());
    EXPECT_EQ(written.error().fault, platform::RegistryFault::Unconvertible);
    EXPECT_FALSE(world.inspect(RegistryHive::CurrentUser, kScratchKey, "TAdir").has_value());

    EXPECT_FALSE(platform::Win32ProcessLauncher()
                     .shellExecute(Gbk("C:\\no such directory\\totala.exe"), Gbk("-c tmphost.ini"),
                                   platform::WindowMode::Maximized)
                     .has_value());
}

}  // namespace
}  // namespace ardentis::testing
