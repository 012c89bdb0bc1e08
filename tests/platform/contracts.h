#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <expected>
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

// One suite per group of interfaces, run against a world around the fakes and one around the
// real implementations; the world prepares and observes what the interfaces cannot.
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

// The services a game lobby finds only on Windows, faked elsewhere.
struct WindowsWorld {
    virtual ~WindowsWorld() = default;
    virtual platform::Registry& registry() = 0;
    // Another program's text value (REG_SZ, wide API) in the local machine's scratch key.
    virtual void plantMachineText(const std::string& name, const std::string& utf8) = 0;
    // A current user's value as another program reads it: "text:<utf8>", "dword" or "other".
    virtual std::optional<std::string> inspect(const std::string& path,
                                               const std::string& name) = 0;
    virtual platform::SharedMemory& memory() = 0;
    // Another program makes the mapping, writes it, and closes it.
    virtual void create(const std::string& name, std::size_t size) = 0;
    virtual void write(std::size_t offset, std::uint8_t value) = 0;
    virtual void close() = 0;
    virtual platform::SystemInfo& system() = 0;
    [[nodiscard]] virtual bool screenSaverRunning() const = 0;
};

// Files and the network, which every system has.
struct HostWorld {
    virtual ~HostWorld() = default;
    virtual platform::FileSystem& files() = 0;
    // A directory of the world's own, ending with its separator.
    [[nodiscard]] virtual text::Gbk root() const = 0;
    virtual void plant(const text::Gbk& path, std::string_view content) = 0;
    // False when this file system cannot hold that name.
    [[nodiscard]] virtual bool makeDirectory(const text::Gbk& path) = 0;
    // This machine, looked up as "localhost" so that the lookup never leaves it.
    virtual platform::NetworkInfo& network() = 0;
    // Another socket takes a UDP port, as a running game does, until released.
    [[nodiscard]] virtual std::uint16_t holdPort() = 0;
    virtual void releasePort() = 0;
};

using WindowsContract = Contract<WindowsWorld>;
using HostContract = Contract<HostWorld>;

// The fault of a failed registry call; none when it succeeded.
template <class T>
std::optional<platform::RegistryFault> faultOf(
    const std::expected<T, platform::RegistryError>& result) {
    return result ? std::nullopt : std::optional(result.error().fault);
}

}  // namespace ardentis::testing
