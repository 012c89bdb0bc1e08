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

std::string under(std::string_view below) {
    return std::string(kScratchKey) + "\\" + std::string(below);
}

TEST_P(RegistryContract, KeysComeWithTheirParentsKindsDifferTextIsSharedAndNamesIgnoreCase) {
    auto& registry = world().registry();
    for (int attempt = 0; attempt < 2; ++attempt) {  // opening a missing key creates nothing
        auto key = registry.openKey(kUser, under("a"));
        ASSERT_FALSE(key.has_value());
        EXPECT_EQ(key.error().fault, RegistryFault::Missing);
    }
    const std::string c = under("a\\b\\c");
    auto key = registry.createKey(kUser, c);
    ASSERT_TRUE(key.has_value());
    EXPECT_TRUE(registry.openKey(kUser, under("a")).has_value());
    EXPECT_EQ((*key)->readText("absent").error().fault, RegistryFault::Missing);
    EXPECT_EQ((*key)->readDword("absent").error().fault, RegistryFault::Missing);
    ASSERT_TRUE((*key)->writeDword("gamma", 0xDEADBEEFU).has_value());
    ASSERT_TRUE((*key)->writeText("port", Gbk("8888")).has_value());
    EXPECT_EQ((*key)->readDword("gamma").value_or(0), 0xDEADBEEFU);
    EXPECT_EQ((*key)->readText("gamma").error().fault, RegistryFault::WrongType);
    EXPECT_EQ((*key)->readDword("port").error().fault, RegistryFault::WrongType);
    EXPECT_EQ(world().inspect(c, "gamma"), "dword");
    auto readOnly = registry.openKey(kUser, c);
    ASSERT_TRUE(readOnly.has_value());
    auto written = (*readOnly)->writeText("usr", Gbk("someone"));
    ASSERT_FALSE(written.has_value());
    EXPECT_NE(written.error().fault, RegistryFault::Missing);
    EXPECT_FALSE((*readOnly)->readText("usr").has_value());

    // Text is what other programs read and write, and names ignore Latin case.
    const Gbk directory = text::gbk("C:\\游戏\\全面歼灭\\");
    auto options = registry.createKey(kUser, under("Options"));
    ASSERT_TRUE(options.has_value());
    ASSERT_TRUE((*options)->writeText("TAdir", Gbk("first")).has_value());
    ASSERT_TRUE((*options)->writeText("TAdir", directory).has_value());  // replaces
    ASSERT_TRUE((*options)->writeText("pwd", Gbk()).has_value());
    EXPECT_EQ(world().inspect(under("Options"), "TAdir"), "text:C:\\游戏\\全面歼灭\\");
    auto again = registry.openKey(kUser, under("OPTIONS"));
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ((*again)->readText("tadir").value_or(Gbk("?")).bytes(), directory.bytes());
    EXPECT_EQ((*again)->readText("pwd").value_or(Gbk("?")), Gbk());  // empty, not missing
    // Where the 32-bit installers wrote, read as GBK.
    world().plantMachineText("InstallLocation", "C:\\游戏大厅");
    auto machine = registry.openKey(kMachine, kScratchKey);
    ASSERT_TRUE(machine.has_value());
    EXPECT_EQ((*machine)->readText("InstallLocation").value_or(Gbk()).bytes(),
              "C:\\\xD3\xCE\xCF\xB7\xB4\xF3\xCC\xFC");
    EXPECT_FALSE(registry.openKey(kMachine, under("Options")).has_value());
}

TEST_P(FileContract, FilesAreFoundByDirectoryPlusNameAndReadAndWrittenWhole) {
    auto& files = world().files();
    const Gbk root = world().root();
    world().plant(root + Gbk("totala.exe"), "");
    ASSERT_TRUE(world().makeDirectory(root + Gbk("bin")));
    EXPECT_TRUE(files.fileExists(root + Gbk("totala.exe")));
    for (const Gbk& none : {root + Gbk("taense.exe"), root + Gbk("bin"), root, Gbk()}) {
        EXPECT_FALSE(files.fileExists(none)) << none.view();
    }
    const Gbk chinese = root + text::gbk("最高指挥官");
    if (world().makeDirectory(chinese)) {  // not every file system can hold the name
        const Gbk file = chinese + Gbk(std::string(1, root.view().back())) + Gbk("sc.exe");
        world().plant(file, "");
        EXPECT_TRUE(files.fileExists(file));
    }
    const Gbk path = root + Gbk("tmphost.ini");
    EXPECT_FALSE(files.readFile(path).has_value());
    const std::string content("[totala]\r\n#\x80\xD3\xCE\n\0end", 17);
    world().plant(path, std::string(5000, 'x'));
    EXPECT_EQ(files.readFile(path).value_or("?").size(), 5000U);
    ASSERT_TRUE(files.writeFile(path, content).has_value());
    EXPECT_EQ(files.readFile(path).value_or("<unreadable>"), content) << "a shorter file whole";
    // The executable's directory ends with a separator and holds the executable.
    auto directory = files.executableDirectory();
    ASSERT_TRUE(directory.has_value() && !directory->empty());
    EXPECT_EQ(directory->view().back(), root.view().back());
    EXPECT_TRUE(files.fileExists(*directory + Gbk(ARDENTIS_TEST_EXECUTABLE)));
}

TEST_P(SharedMemoryContract, ViewSeesTheOwnersBytesAtEachReadUntilTheOwnerCloses) {
    const std::string name = "Ardentis-test-mapping";
    EXPECT_FALSE(world().memory().openMapping(name, 1220).has_value());
    world().create(name, 1220);
    auto view = world().memory().openMapping(name, 1220);
    ASSERT_TRUE(view.has_value());
    std::array<std::byte, 1220> bytes{};
    world().write(144, 3);
    (*view)->read(bytes);
    EXPECT_EQ(bytes[144], std::byte{3});
    EXPECT_EQ(bytes[145], std::byte{0});
    world().write(145, 9);
    (*view)->read(bytes);
    EXPECT_EQ(bytes[145], std::byte{9});
    view->reset();
    world().close();
    EXPECT_FALSE(world().memory().openMapping(name, 1220).has_value());
}

TEST_P(SystemInfoContract, SerialVersionAndTheScreenSaverRunningParameter) {
    EXPECT_TRUE(world().system().volumeSerialNumber("c:\\").has_value());
    EXPECT_FALSE(world().system().ownFileVersion().has_value());  // no version resource here
    constexpr std::uint32_t kScreenSaverRunning = 97;
    for (const bool running : {true, false}) {
        ASSERT_TRUE(
            world().system().setSystemParameter(kScreenSaverRunning, running ? 1 : 0).has_value());
        EXPECT_EQ(world().screenSaverRunning(), running);
    }
}

TEST_P(NetworkContract, LocalhostIsLoopbackAndAHeldUdpPortIsRefusedUntilReleased) {
    auto addresses = world().network().localAddresses();
    ASSERT_TRUE(addresses.has_value()) << addresses.error().describe();
    EXPECT_NE(std::ranges::find(*addresses, platform::Ipv4Address{127, 0, 0, 1}), addresses->end());
    const std::uint16_t port = world().holdPort();
    EXPECT_FALSE(world().network().tryBindUdp(port).has_value());
    world().releasePort();
    EXPECT_TRUE(world().network().tryBindUdp(port).has_value());
    EXPECT_TRUE(world().network().tryBindUdp(port).has_value());  // checking leaves it free
}

// One world around all the fakes.
struct FakeWorld final : RegistryWorld,
                         FileWorld,
                         SharedMemoryWorld,
                         SystemInfoWorld,
                         NetworkWorld {
    FakeWorld() {
        fs.setExecutableDirectory(Gbk("C:\\bin\\"));
        fs.addFile(Gbk("C:\\bin\\" ARDENTIS_TEST_EXECUTABLE));
        sys.setVolumeSerial("c:\\", 0x1A2B3C4DU);
        net.setAddresses({{192, 168, 1, 2}, {127, 0, 0, 1}});
    }
    platform::Registry& registry() override { return reg; }
    void plantMachineText(const std::string& name, const std::string& utf8) override {
        reg.setText(kMachine, kScratchKey, name, text::gbk(utf8));
    }
    std::optional<std::string> inspect(const std::string& path, const std::string& name) override {
        const auto text = reg.text(kUser, path, name);
        if (!reg.kindOf(kUser, path, name) || text) {
            return text ? "text:" + text::toUtf8(*text).value_or("?")
                        : std::optional<std::string>();
        }
        return "dword";
    }
    platform::FileSystem& files() override { return fs; }
    Gbk root() const override { return Gbk("C:\\scratch\\"); }
    void plant(const Gbk& path, std::string_view content) override {
        fs.addFile(path, std::string(content));
    }
    bool makeDirectory(const Gbk& /*path*/) override { return true; }
    platform::SharedMemory& memory() override { return shm; }
    void create(const std::string& name, std::size_t size) override {
        bytes = shm.create(mapping = name, size);
    }
    void write(std::size_t offset, std::uint8_t value) override {
        (*bytes)[offset] = std::byte{value};
    }
    void close() override { shm.remove(mapping); }
    platform::SystemInfo& system() override { return sys; }
    bool screenSaverRunning() const override {  // the contract sets no other parameter
        return !sys.parameterCalls().empty() && sys.parameterCalls().back().value != 0;
    }
    platform::NetworkInfo& network() override { return net; }
    std::uint16_t holdPort() override {
        net.holdUdpPort(47624);
        return 47624;
    }
    void releasePort() override { net.releaseUdpPort(47624); }

    platform::FakeRegistry reg;
    platform::FakeFileSystem fs;
    platform::FakeSharedMemory shm;
    std::string mapping;
    std::shared_ptr<platform::FakeSharedMemory::Bytes> bytes;
    platform::FakeSystemInfo sys;
    platform::FakeNetworkInfo net;
};

CONTRACT_WORLD(Fake, RegistryContract, FakeWorld, RegistryWorld);
CONTRACT_WORLD(Fake, FileContract, FakeWorld, FileWorld);
CONTRACT_WORLD(Fake, SharedMemoryContract, FakeWorld, SharedMemoryWorld);
CONTRACT_WORLD(Fake, SystemInfoContract, FakeWorld, SystemInfoWorld);
CONTRACT_WORLD(Fake, NetworkContract, FakeWorld, NetworkWorld);

// The machine's own files and network exist on every system.
struct SystemWorld final : FileWorld, NetworkWorld {
    platform::FileSystem& files() override { return fs; }
    Gbk root() const override { return scratch.gbk(); }
    void plant(const Gbk& path, std::string_view content) override {
        scratch.addFile(pathOf(path), content);  // an absolute name replaces the directory
    }
    bool makeDirectory(const Gbk& path) override {
        std::error_code error;
        std::filesystem::create_directories(pathOf(path), error);
        return !error;
    }
    platform::NetworkInfo& network() override { return net; }
    std::uint16_t holdPort() override { return holder.port(); }
    void releasePort() override { holder.release(); }

    platform::SystemFileSystem fs;
    ScratchDirectory scratch;
    platform::SystemNetworkInfo net{"localhost"};
    UdpPortHolder holder;
};

CONTRACT_WORLD(System, FileContract, SystemWorld, FileWorld);
CONTRACT_WORLD(System, NetworkContract, SystemWorld, NetworkWorld);

}  // namespace
}  // namespace ardentis::testing
