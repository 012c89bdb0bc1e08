#include <algorithm>
#include <array>
#include <filesystem>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_network_info.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shared_memory.h"
#include "platform/fake/fake_system_info.h"
#include "tests/platform/contracts.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/udp_port_holder.h"
#include "text/code_page.h"

namespace ardentis::testing {
namespace {

using platform::RegistryFault;
using text::Gbk;
constexpr auto kUser = platform::RegistryHive::CurrentUser;
constexpr auto kMachine = platform::RegistryHive::LocalMachine;

TEST_P(WindowsContract, RegistryKeysTextsAndKindsASharedViewAndTheScreenSaverParameter) {
    auto& registry = world().registry();
    const std::string path = std::string(kScratchKey) + "\\a\\b\\Options";
    EXPECT_EQ(faultOf(registry.openKey(kUser, path)), RegistryFault::Missing);
    EXPECT_EQ(faultOf(registry.openKey(kUser, path)), RegistryFault::Missing);  // still
    const auto key = registry.createKey(kUser, path).value();
    EXPECT_TRUE(registry.openKey(kUser, std::string(kScratchKey) + "\\a").has_value());
    EXPECT_EQ(faultOf(key->readText("absent")), RegistryFault::Missing);
    EXPECT_EQ(faultOf(key->readDword("absent")), RegistryFault::Missing);
    // Texts and numbers are what other programs read and write.
    const Gbk directory = text::gbk("C:\\游戏\\全面歼灭\\");
    ASSERT_TRUE(key->writeText("TAdir", Gbk("first")).has_value());
    ASSERT_TRUE(key->writeText("TAdir", directory).has_value());  // replaces
    ASSERT_TRUE(key->writeText("pwd", Gbk()).has_value());
    ASSERT_TRUE(key->writeDword("gamma", 0xDEADBEEFU).has_value());
    EXPECT_EQ(world().inspect(path, "TAdir"), "text:C:\\游戏\\全面歼灭\\");
    EXPECT_EQ(world().inspect(path, "gamma"), "dword");
    EXPECT_EQ(key->readDword("gamma").value_or(0), 0xDEADBEEFU);
    EXPECT_EQ(faultOf(key->readText("gamma")), RegistryFault::WrongType);
    EXPECT_EQ(faultOf(key->readDword("TAdir")), RegistryFault::WrongType);
    // Opened again, for reading only, with names in another Latin case.
    const auto readOnly =
        registry.openKey(kUser, std::string(kScratchKey) + "\\A\\B\\OPTIONS").value();
    EXPECT_EQ(readOnly->readText("tadir").value_or(Gbk("?")).bytes(), directory.bytes());
    EXPECT_EQ(readOnly->readText("pwd").value_or(Gbk("?")), Gbk());  // empty, not missing
    const auto refused = faultOf(readOnly->writeText("usr", Gbk("someone")));
    EXPECT_TRUE(refused && refused != RegistryFault::Missing);
    EXPECT_FALSE(readOnly->readText("usr").has_value());
    // Where the 32-bit installers wrote, read as GBK.
    world().plantMachineText("InstallLocation", "C:\\游戏大厅");
    EXPECT_EQ(registry.openKey(kMachine, kScratchKey).value()->readText("InstallLocation"),
              Gbk("C:\\\xD3\xCE\xCF\xB7\xB4\xF3\xCC\xFC"));
    EXPECT_FALSE(registry.openKey(kMachine, path).has_value());

    // A view sees the owner's bytes at each read until the owner closes the mapping.
    const std::string name = "Ardentis-test-mapping";
    EXPECT_FALSE(world().memory().openMapping(name, 1220).has_value());
    world().create(name, 1220);
    auto view = world().memory().openMapping(name, 1220).value();
    std::array<std::byte, 1220> bytes{};
    for (const std::size_t offset : {std::size_t{144}, std::size_t{145}}) {
        EXPECT_EQ(bytes[offset], std::byte{0});
        world().write(offset, 7);
        view->read(bytes);
        EXPECT_EQ(bytes[offset], std::byte{7});
    }
    view.reset();
    world().close();
    EXPECT_FALSE(world().memory().openMapping(name, 1220).has_value());
    for (const std::uint32_t running : {1U, 0U}) {  // 97: the screen saver is running
        ASSERT_TRUE(world().system().setSystemParameter(97, running).has_value());
        EXPECT_EQ(world().screenSaverRunning(), running != 0);
    }
}

TEST_P(HostContract, FilesAreFoundByDirectoryPlusNameAndReadWholeAndAHeldUdpPortIsRefused) {
    auto& files = world().files();
    const Gbk root = world().root();
    const Gbk separator(std::string(1, root.view().back()));
    ASSERT_TRUE(world().makeDirectory(root + Gbk("bin")));
    for (const Gbk& none : {root + Gbk("taense.exe"), root + Gbk("bin"), root, Gbk()}) {
        EXPECT_FALSE(files.fileExists(none)) << none.view();
    }
    // In a directory with a Chinese name where the file system can hold one.
    const Gbk chinese = root + text::gbk("最高指挥官") + separator;
    const Gbk path = (world().makeDirectory(chinese) ? chinese : root) + Gbk("tmphost.ini");
    EXPECT_FALSE(files.readFile(path).has_value());
    const std::string content("[totala]\r\n#\x80\xD3\xCE\n\0end", 17);
    world().plant(path, std::string(5000, 'x'));
    EXPECT_TRUE(files.fileExists(path));
    EXPECT_EQ(files.readFile(path).value_or("?").size(), 5000U);
    ASSERT_TRUE(files.writeFile(path, content).has_value());
    EXPECT_EQ(files.readFile(path).value_or("<unreadable>"), content) << "a shorter file whole";
    // The executable's directory ends with a separator and holds the executable.
    const Gbk directory = files.executableDirectory().value();
    EXPECT_TRUE(directory.view().ends_with(separator.view())) << directory.view();
    EXPECT_TRUE(files.fileExists(directory + Gbk(ARDENTIS_TEST_EXECUTABLE)));

    // Localhost is loopback; a held UDP port is refused until released.
    const auto addresses = world().network().localAddresses().value();
    EXPECT_NE(std::ranges::find(addresses, platform::Ipv4Address{127, 0, 0, 1}), addresses.end());
    const std::uint16_t port = world().holdPort();
    EXPECT_FALSE(world().network().tryBindUdp(port).has_value());
    world().releasePort();
    EXPECT_TRUE(world().network().tryBindUdp(port).has_value());
    EXPECT_TRUE(world().network().tryBindUdp(port).has_value());  // checking leaves it free
}

// One world around all the fakes.
struct FakeWorld final : WindowsWorld, HostWorld {
    FakeWorld() {
        fs.setExecutableDirectory(Gbk("C:\\bin\\"));
        fs.addFile(Gbk("C:\\bin\\" ARDENTIS_TEST_EXECUTABLE));
        net.setAddresses({{192, 168, 1, 2}, {127, 0, 0, 1}});
    }
    platform::Registry& registry() override { return reg; }
    void plantMachineText(const std::string& name, const std::string& utf8) override {
        reg.setText(kMachine, kScratchKey, name, text::gbk(utf8));
    }
    std::optional<std::string> inspect(const std::string& path, const std::string& name) override {
        if (const auto text = reg.text(kUser, path, name)) {
            return "text:" + text::toUtf8(*text).value_or("?");
        }
        return reg.kindOf(kUser, path, name) ? std::optional<std::string>("dword") : std::nullopt;
    }
    platform::SharedMemory& memory() override { return shm; }
    void create(const std::string& name, std::size_t size) override {
        bytes = shm.create(mapping = name, size);
    }
    void write(std::size_t at, std::uint8_t value) override { (*bytes)[at] = std::byte{value}; }
    void close() override { shm.remove(mapping); }
    platform::SystemInfo& system() override { return sys; }
    bool screenSaverRunning() const override { return sys.parameterCalls().back().value != 0; }
    platform::FileSystem& files() override { return fs; }
    Gbk root() const override { return Gbk("C:\\scratch\\"); }
    void plant(const Gbk& path, std::string_view what) override {
        fs.addFile(path, std::string(what));
    }
    bool makeDirectory(const Gbk& /*path*/) override { return true; }
    platform::NetworkInfo& network() override { return net; }
    std::uint16_t holdPort() override { return net.holdUdpPort(47624), std::uint16_t{47624}; }
    void releasePort() override { net.releaseUdpPort(47624); }

    platform::FakeRegistry reg;
    platform::FakeFileSystem fs;
    platform::FakeSharedMemory shm;
    std::string mapping;
    std::shared_ptr<platform::FakeSharedMemory::Bytes> bytes;
    platform::FakeSystemInfo sys;
    platform::FakeNetworkInfo net;
};

CONTRACT_WORLD(Fake, WindowsContract, FakeWorld, WindowsWorld);
CONTRACT_WORLD(Fake, HostContract, FakeWorld, HostWorld);

// This system's own files and network.
struct SystemWorld final : HostWorld {
    platform::FileSystem& files() override { return fs; }
    Gbk root() const override { return scratch.gbk(); }
    void plant(const Gbk& path, std::string_view content) override {
        scratch.addFile(pathOf(path), content);  // an absolute name replaces the directory
    }
    bool makeDirectory(const Gbk& path) override {
        std::error_code error;
        return std::filesystem::create_directories(pathOf(path), error) || !error;
    }
    platform::NetworkInfo& network() override { return net; }
    std::uint16_t holdPort() override { return holder.port(); }
    void releasePort() override { holder.release(); }

    platform::SystemFileSystem fs;
    ScratchDirectory scratch;
    platform::SystemNetworkInfo net{"localhost"};
    UdpPortHolder holder;
};

CONTRACT_WORLD(System, HostContract, SystemWorld, HostWorld);

}  // namespace
}  // namespace ardentis::testing
