#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/network_info.h"
#include "platform/registry.h"
#include "platform/shared_memory.h"
#include "platform/system_info.h"

namespace ardentis::testing {

// One suite per interface, run against a world around the fake and one around the real
// implementation; the world prepares and observes what the interface cannot.
template <class World>
class Contract : public ::testing::TestWithParam<std::unique_ptr<World> (*)()> {
  protected:
    void SetUp() override { world_ = this->GetParam()(); }
    World& world() { return *world_; }

  private:
    std::unique_ptr<World> world_;
};

// Runs Suite against one world, named the same from run to run.
#define CONTRACT_WORLD(prefix, Suite, World, Base)                                             \
    INSTANTIATE_TEST_SUITE_P(prefix, Suite, ::testing::Values(+[]() -> std::unique_ptr<Base> { \
                                 return std::make_unique<World>();                             \
                             }),                                                               \
                             [](const auto&) { return std::string("world"); })

// Each world owns a scratch key under this path in both hives, empty at the start.
inline constexpr const char* kScratchKey = "Software\\Ardentis tests";

struct RegistryWorld {
    virtual ~RegistryWorld() = default;
    virtual platform::Registry& registry() = 0;
    // A text value as another program writes it (REG_SZ through the wide API), in the scratch
    // key of the local machine.
    virtual void plantMachineText(const std::string& name, const std::string& utf8) = 0;
    // A value of the current user as another program reads it: "text:<utf8>", "dword" or
    // "other"; none if missing.
    virtual std::optional<std::string> inspect(const std::string& path,
                                               const std::string& name) = 0;
};

struct FileWorld {
    virtual ~FileWorld() = default;
    virtual platform::FileSystem& files() = 0;
    // A directory of the world's own, ending with its separator.
    [[nodiscard]] virtual text::Gbk root() const = 0;
    virtual void plant(const text::Gbk& path, std::string_view content) = 0;
    // False when this file system cannot hold that name.
    [[nodiscard]] virtual bool makeDirectory(const text::Gbk& path) = 0;
};

struct SharedMemoryWorld {
    virtual ~SharedMemoryWorld() = default;
    virtual platform::SharedMemory& memory() = 0;
    // Another program makes the mapping, writes it, and closes it.
    virtual void create(const std::string& name, std::size_t size) = 0;
    virtual void write(std::size_t offset, std::uint8_t value) = 0;
    virtual void close() = 0;
};

struct SystemInfoWorld {
    virtual ~SystemInfoWorld() = default;
    virtual platform::SystemInfo& system() = 0;
    [[nodiscard]] virtual bool screenSaverRunning() const = 0;
};

struct NetworkWorld {
    virtual ~NetworkWorld() = default;
    // This machine, looked up as "localhost" so that the lookup never leaves it.
    virtual platform::NetworkInfo& network() = 0;
    // Another socket takes a UDP port, as a running game does, until released.
    [[nodiscard]] virtual std::uint16_t holdPort() = 0;
    virtual void releasePort() = 0;
};

using RegistryContract = Contract<RegistryWorld>;
using FileContract = Contract<FileWorld>;
using SharedMemoryContract = Contract<SharedMemoryWorld>;
using SystemInfoContract = Contract<SystemInfoWorld>;
using NetworkContract = Contract<NetworkWorld>;

}  // namespace ardentis::testing
