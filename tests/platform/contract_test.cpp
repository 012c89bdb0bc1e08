#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_game_windows.h"
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
using platform::RegistryHive;
using platform::Rgb;
using text::Gbk;
using Kind = RegistryWorld::Kind;

const std::string kScratch = kScratchKey;

std::string under(std::string_view below) {
    return kScratch + "\\" + std::string(below);
}

// The registry

TEST_P(RegistryContract, KeysComeWithTheirParentsKindsDifferAndAReadOnlyKeyRefusesWrites) {
    auto& registry = world().registry();
    for (int attempt = 0; attempt < 2; ++attempt) {  // opening a missing key creates nothing
        auto key = registry.openKey(RegistryHive::CurrentUser, under("a"));
        ASSERT_FALSE(key.has_value());
        EXPECT_EQ(key.error().fault, RegistryFault::Missing);
    }
    {
        auto key = registry.createKey(RegistryHive::CurrentUser, under("a\\b\\c"));
        ASSERT_TRUE(key.has_value());
        EXPECT_TRUE(registry.openKey(RegistryHive::CurrentUser, under("a")).has_value());
        EXPECT_EQ((*key)->readText("absent").error().fault, RegistryFault::Missing);
        EXPECT_EQ((*key)->readDword("absent").error().fault, RegistryFault::Missing);
        ASSERT_TRUE((*key)->writeDword("gamma", 0xDEADBEEFU).has_value());
        ASSERT_TRUE((*key)->writeText("port", Gbk("8888")).has_value());
        EXPECT_EQ((*key)->readDword("gamma").value_or(0), 0xDEADBEEFU);
        EXPECT_EQ((*key)->readText("gamma").error().fault, RegistryFault::WrongType);
        EXPECT_EQ((*key)->readDword("port").error().fault, RegistryFault::WrongType);
    }
    const std::string c = under("a\\b\\c");
    EXPECT_EQ(world().inspect(RegistryHive::CurrentUser, c, "gamma").value().kind, Kind::Dword);
    auto key = registry.openKey(RegistryHive::CurrentUser, c);
    ASSERT_TRUE(key.has_value());
    auto written = (*key)->writeText("usr", Gbk("someone"));
    ASSERT_FALSE(written.has_value());
    EXPECT_NE(written.error().fault, RegistryFault::Missing);
    EXPECT_FALSE((*key)->readText("usr").has_value());
}

TEST_P(RegistryContract, TextIsWhatOtherProgramsReadAndWriteAndNamesIgnoreLatinCase) {
    const Gbk directory = text::gbk("C:\\游戏\\全面歼灭\\");
    {
        auto key = world().registry().createKey(RegistryHive::CurrentUser, under("Options"));
        ASSERT_TRUE(key.has_value());
        ASSERT_TRUE((*key)->writeText("TAdir", Gbk("first")).has_value());
        ASSERT_TRUE((*key)->writeText("TAdir", directory).has_value());  // replaces
        ASSERT_TRUE((*key)->writeText("pwd", Gbk()).has_value());
    }
    const auto stored = world().inspect(RegistryHive::CurrentUser, under("Options"), "TAdir");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->kind, Kind::Text);
    EXPECT_EQ(stored->utf8, "C:\\游戏\\全面歼灭\\");
    auto again = world().registry().openKey(RegistryHive::CurrentUser, under("OPTIONS"));
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ((*again)->readText("tadir").value_or(Gbk("?")).bytes(), directory.bytes());
    EXPECT_EQ((*again)->readText("pwd").value_or(Gbk("?")), Gbk());  // empty, not missing
    // Where the 32-bit installers wrote, read as GBK.
    world().plantText(RegistryHive::LocalMachine, kScratch, "InstallLocation", "C:\\游戏大厅");
    auto machine = world().registry().openKey(RegistryHive::LocalMachine, kScratch);
    ASSERT_TRUE(machine.has_value());
    EXPECT_EQ((*machine)->readText("InstallLocation").value_or(Gbk()).bytes(),
              "C:\\\xD3\xCE\xCF\xB7\xB4\xF3\xCC\xFC");
    EXPECT_FALSE(
        world().registry().openKey(RegistryHive::LocalMachine, under("Options")).has_value());
}

// Files

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
    EXPECT_TRUE(files.fileExists(*directory + world().executableName()));
}

// Shared memory

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

// Game windows

TEST_P(GameWindowsContract, WindowIsFoundByExactTitleShowsItsColourTakesClicksAndCloses) {
    world().open("Ardentis colour window", Rgb{27, 159, 19});
    auto& windows = world().windows();
    EXPECT_EQ(windows.findWindow(Gbk("Ardentis colour")), platform::kNoWindow);
    const auto handle = windows.findWindow(Gbk("Ardentis colour window"));
    ASSERT_NE(handle, platform::kNoWindow);
    const std::array<platform::PixelPoint, 3> points{{{16, 22}, {517, 382}, {627, 454}}};
    std::array<Rgb, 3> colours{};
    ASSERT_TRUE(windows.readPixels(handle, points, colours).has_value());
    EXPECT_EQ(colours, (std::array<Rgb, 3>{{{27, 159, 19}, {27, 159, 19}, {27, 159, 19}}}));
    EXPECT_FALSE(windows.readPixels(platform::kNoWindow, points, colours).has_value());

    const std::intptr_t at = (414 << 16) | 482;
    windows.sendMessage(handle, platform::kWmLButtonDown, 0, at);
    windows.sendMessage(handle, platform::kWmLButtonUp, 0, at);
    EXPECT_EQ(world().mouseLog(), "down 482 414;up 482 414;");
    windows.sendMessage(handle, platform::kWmClose, 0, 0);
    world().settle();
    EXPECT_EQ(windows.findWindow(Gbk("Ardentis colour window")), platform::kNoWindow);
    EXPECT_FALSE(windows.readPixels(handle, points, colours).has_value());
    windows.sendMessage(handle, platform::kWmClose, 0, 0);  // to a window that has gone
}

// System facts

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

// The network

TEST_P(NetworkContract, LocalhostIsLoopbackAndAHeldUdpPortIsRefusedUntilReleased) {
    auto addresses = world().network().localAddresses();
    ASSERT_TRUE(addresses.has_value()) << addresses.error().describe();
    const platform::Ipv4Address loopback{127, 0, 0, 1};
    EXPECT_NE(std::ranges::find(*addresses, loopback), addresses->end());
    const std::uint16_t port = world().holdPort();
    EXPECT_FALSE(world().network().tryBindUdp(port).has_value());
    world().releasePort();
    EXPECT_TRUE(world().network().tryBindUdp(port).has_value());
    EXPECT_TRUE(world().network().tryBindUdp(port).has_value());  // checking leaves it free
}

// The fakes' worlds

class FakeRegistryWorld final : public RegistryWorld {
  public:
    platform::Registry& registry() override { return registry_; }
    void plantText(RegistryHive hive, const std::string& path, const std::string& name,
                   const std::string& utf8) override {
        registry_.setText(hive, path, name, text::gbk(utf8));
    }
    std::optional<Stored> inspect(RegistryHive hive, const std::string& path,
                                  const std::string& name) override {
        const auto kind = registry_.kindOf(hive, path, name);
        if (!kind || *kind == platform::RegistryValueKind::Dword) {
            return kind ? std::optional<Stored>(Stored{Kind::Dword, {}}) : std::nullopt;
        }
        return Stored{Kind::Text, text::toUtf8(*registry_.text(hive, path, name)).value_or("?")};
    }

  private:
    platform::FakeRegistry registry_;
};

class FakeFileWorld final : public FileWorld {
  public:
    FakeFileWorld() {
        files_.setExecutableDirectory(Gbk("C:\\bin\\"));
        files_.addFile(Gbk("C:\\bin\\ardentis.exe"));
    }
    platform::FileSystem& files() override { return files_; }
    Gbk root() const override { return Gbk("C:\\scratch\\"); }
    void plant(const Gbk& path, std::string_view content) override {
        files_.addFile(path, std::string(content));
    }
    bool makeDirectory(const Gbk& /*path*/) override { return true; }
    Gbk executableName() const override { return Gbk("ardentis.exe"); }

  private:
    platform::FakeFileSystem files_;
};

class FakeSharedMemoryWorld final : public SharedMemoryWorld {
  public:
    platform::SharedMemory& memory() override { return memory_; }
    void create(const std::string& name, std::size_t size) override {
        name_ = name;
        bytes_ = memory_.create(name, size);
    }
    void write(std::size_t offset, std::uint8_t value) override {
        (*bytes_)[offset] = std::byte{value};
    }
    void close() override { memory_.remove(name_); }

  private:
    platform::FakeSharedMemory memory_;
    std::string name_;
    std::shared_ptr<platform::FakeSharedMemory::Bytes> bytes_;
};

class FakeGameWindowsWorld final : public GameWindowsWorld {
    class ColourWindow final : public platform::SimulatedWindow {
      public:
        ColourWindow(Rgb colour, std::string& log) : colour_(colour), log_(log) {}
        Rgb pixel(platform::PixelPoint /*point*/) const override { return colour_; }
        bool handle(std::uint32_t message, std::uintptr_t /*wParam*/,
                    std::intptr_t lParam) override {
            if (message == platform::kWmLButtonDown || message == platform::kWmLButtonUp) {
                log_ += (message == platform::kWmLButtonDown ? "down " : "up ") +
                        std::to_string(lParam & 0xFFFF) + " " + std::to_string(lParam >> 16) + ";";
            }
            return message != platform::kWmClose;
        }

      private:
        Rgb colour_;
        std::string& log_;
    };

  public:
    platform::GameWindows& windows() override { return windows_; }
    void open(const std::string& title, Rgb colour) override {
        windows_.open(Gbk(title), std::make_shared<ColourWindow>(colour, log_));
    }
    std::string mouseLog() const override { return log_; }
    void settle() override {}

  private:
    platform::FakeGameWindows windows_;
    std::string log_;
};

class FakeSystemInfoWorld final : public SystemInfoWorld {
  public:
    FakeSystemInfoWorld() { system_.setVolumeSerial("c:\\", 0x1A2B3C4DU); }
    platform::SystemInfo& system() override { return system_; }
    bool screenSaverRunning() const override {
        const auto& calls = system_.parameterCalls();
        const auto last = std::ranges::find(calls.rbegin(), calls.rend(), 97U,
                                            [](const auto& call) { return call.action; });
        return last != calls.rend() && last->value != 0;
    }

  private:
    platform::FakeSystemInfo system_;
};

class FakeNetworkWorld final : public NetworkWorld {
  public:
    FakeNetworkWorld() { network_.setAddresses({{192, 168, 1, 2}, {127, 0, 0, 1}}); }
    platform::NetworkInfo& network() override { return network_; }
    std::uint16_t holdPort() override {
        network_.holdUdpPort(47624);
        return 47624;
    }
    void releasePort() override { network_.releaseUdpPort(47624); }

  private:
    platform::FakeNetworkInfo network_;
};

CONTRACT_WORLD(Fake, RegistryContract, FakeRegistryWorld, RegistryWorld);
CONTRACT_WORLD(Fake, FileContract, FakeFileWorld, FileWorld);
CONTRACT_WORLD(Fake, SharedMemoryContract, FakeSharedMemoryWorld, SharedMemoryWorld);
CONTRACT_WORLD(Fake, GameWindowsContract, FakeGameWindowsWorld, GameWindowsWorld);
CONTRACT_WORLD(Fake, SystemInfoContract, FakeSystemInfoWorld, SystemInfoWorld);
CONTRACT_WORLD(Fake, NetworkContract, FakeNetworkWorld, NetworkWorld);

// The machine's own files and network exist on every system.

class SystemFileWorld final : public FileWorld {
  public:
    platform::FileSystem& files() override { return files_; }
    Gbk root() const override { return scratch_.gbk(); }
    void plant(const Gbk& path, std::string_view content) override {
        scratch_.addFile(pathOf(path), content);  // an absolute name replaces the directory
    }
    bool makeDirectory(const Gbk& path) override {
        std::error_code error;
        std::filesystem::create_directories(pathOf(path), error);
        return !error;
    }
    Gbk executableName() const override { return Gbk(ARDENTIS_TEST_EXECUTABLE); }

  private:
    platform::SystemFileSystem files_;
    ScratchDirectory scratch_;
};

class SystemNetworkWorld final : public NetworkWorld {
  public:
    platform::NetworkInfo& network() override { return network_; }
    std::uint16_t holdPort() override { return holder_.port(); }
    void releasePort() override { holder_.release(); }

  private:
    platform::SystemNetworkInfo network_{"localhost"};
    UdpPortHolder holder_;
};

CONTRACT_WORLD(System, FileContract, SystemFileWorld, FileWorld);
CONTRACT_WORLD(System, NetworkContract, SystemNetworkWorld, NetworkWorld);

}  // namespace
}  // namespace ardentis::testing
