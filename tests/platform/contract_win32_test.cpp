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

struct Win32RegistryWorld final : RegistryWorld {
    Win32RegistryWorld() { cleanUp(); }
    ~Win32RegistryWorld() override { cleanUp(); }
    static void cleanUp() {
        deleteRawTree(RawHive::CurrentUser, wide(kScratchKey));
        deleteRawTree(RawHive::LocalMachine, wide(kScratchKey));
    }
    platform::Registry& registry() override { return real; }
    void plantText(RegistryHive hive, const std::string& path, const std::string& name,
                   const std::string& text) override {
        writeRawText(hive, wide(path), wide(name), wide(text));
    }
    std::optional<std::string> inspect(RegistryHive hive, const std::string& path,
                                       const std::string& name) override {
        const auto raw = readRawValue(hive, wide(path), wide(name));
        if (!raw || raw->type != kRawRegSz) {
            return raw ? (raw->type == kRawRegDword ? "dword" : "other")
                       : std::optional<std::string>();
        }
        return "text:" + text::toUtf8(platform::wideToGbk(raw->text).value()).value_or("?");
    }
    platform::Win32Registry real;
};

struct Win32SharedMemoryWorld final : SharedMemoryWorld {
    platform::SharedMemory& memory() override { return real; }
    void create(const std::string& name, std::size_t size) override {
        mapping = std::make_unique<RawMapping>(wide(name), size);
    }
    void write(std::size_t offset, std::uint8_t value) override { mapping->write(offset, value); }
    void close() override { mapping.reset(); }
    platform::Win32SharedMemory real;
    std::unique_ptr<RawMapping> mapping;
};

struct Win32SystemInfoWorld final : SystemInfoWorld {
    platform::SystemInfo& system() override { return real; }
    bool screenSaverRunning() const override { return rawScreenSaverRunning(); }
    platform::Win32SystemInfo real;
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
