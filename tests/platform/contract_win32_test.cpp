// The real Windows implementations under the contracts, their world reached through the system.
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

using text::Gbk;

std::wstring wide(const std::string& utf8) {
    return platform::gbkToWide(text::gbk(utf8).view()).value();
}

// One world around the Win32 registry, shared memory and system facts.
struct Win32World final : WindowsWorld {
    Win32World() { cleanUp(); }
    ~Win32World() override { cleanUp(); }
    static void cleanUp() {
        deleteRawTree(RawHive::CurrentUser, wide(kScratchKey));
        deleteRawTree(RawHive::LocalMachine, wide(kScratchKey));
    }
    platform::Registry& registry() override { return reg; }
    void plantMachineText(const std::string& name, const std::string& utf8) override {
        writeRawText(RawHive::LocalMachine, wide(kScratchKey), wide(name), wide(utf8));
    }
    std::optional<std::string> inspect(const std::string& path, const std::string& name) override {
        const auto raw = readRawValue(RawHive::CurrentUser, wide(path), wide(name));
        if (raw && raw->type == kRawRegSz) {
            return "text:" + text::toUtf8(platform::wideToGbk(raw->text).value()).value_or("?");
        }
        return raw ? std::optional<std::string>(raw->type == kRawRegDword ? "dword" : "other")
                   : std::nullopt;
    }
    platform::SharedMemory& memory() override { return shm; }
    void create(const std::string& name, std::size_t size) override {
        mapping = std::make_unique<RawMapping>(wide(name), size);
    }
    void write(std::size_t offset, std::uint8_t value) override { mapping->write(offset, value); }
    void close() override { mapping.reset(); }
    platform::SystemInfo& system() override { return sys; }
    bool screenSaverRunning() const override { return rawScreenSaverRunning(); }

    platform::Win32Registry reg;
    platform::Win32SharedMemory shm;
    std::unique_ptr<RawMapping> mapping;
    platform::Win32SystemInfo sys;
};

CONTRACT_WORLD(Win32, WindowsContract, Win32World, WindowsWorld);

// What only the real side can meet: text the wide API cannot be given, a missing program.
TEST(Win32Platform, BytesThatAreNotGbkAreRefusedNotMangledAndAMissingProgramIsReported) {
    Win32World world;
    const auto key = world.registry().createKey(RawHive::CurrentUser, kScratchKey).value();
    EXPECT_EQ(faultOf(key->writeText("TAdir", Gbk(std::string("C:\\\xFF\\")))),
              platform::RegistryFault::Unconvertible);
    EXPECT_FALSE(world.inspect(kScratchKey, "TAdir").has_value());
    EXPECT_FALSE(platform::Win32ProcessLauncher()
                     .shellExecute(Gbk("C:\\no such directory\\totala.exe"), Gbk("-c tmphost.ini"),
                                   platform::WindowMode::Maximized)
                     .has_value());
}

}  // namespace
}  // namespace ardentis::testing
