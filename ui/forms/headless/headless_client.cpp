#include "ui/forms/headless/headless_client.h"

#include <string>
#include <thread>

#include "platform/file_append.h"
#include "protocol/des.h"
#include "settings/options_store.h"

namespace ardentis::forms {

using platform::RegistryHive;

HeadlessMachine::HeadlessMachine(std::filesystem::path logFile)
    : log(platform::appendFileAt(std::move(logFile)), clock) {}

void HeadlessMachine::installGame(const text::Gbk& taDir) {
    files.addFile(taDir + text::Gbk("totala.exe"));
    registry.setText(RegistryHive::CurrentUser, settings::kOptionsSection, "TAdir", taDir);
}

void HeadlessMachine::setVirtualLanAddress(std::uint8_t a, std::uint8_t b, std::uint8_t c,
                                           std::uint8_t d) {
    network.setAddresses({{127, 0, 0, 1}, {a, b, c, d}});
    // The same address on an adapter of its own, where the newer programs are looked for.
    network.setAdapters({{text::Gbk("Ethernet"), text::Gbk(), {{192, 168, 1, 2}}, true},
                         {text::Gbk("VPN"), text::Gbk(), {{a, b, c, d}}, true}});
}

void HeadlessMachine::storeSettings(const text::Gbk& account, const text::Gbk& password,
                                    const text::Gbk& host, std::uint16_t port, bool autoLogin) {
    const auto section = settings::kOptionsSection;
    registry.setText(RegistryHive::CurrentUser, section, "usr", account);
    registry.setText(RegistryHive::CurrentUser, section, "pwd",
                     text::Gbk(protocol::des::EncryptHex(password.view())));
    registry.setText(RegistryHive::CurrentUser, section, "host", host);
    registry.setText(RegistryHive::CurrentUser, section, "port", text::Gbk(std::to_string(port)));
    registry.setText(RegistryHive::CurrentUser, section, "autologin",
                     text::Gbk(autoLogin ? "0" : "1"));
    // Headless machines have no Supreme Commander; no need to be told at every reset.
    registry.setText(RegistryHive::CurrentUser, section, "checkfile", text::Gbk("1"));
}

namespace {

bool anyGameWindow(const platform::GameWindows& windows) {
    return windows.findWindow(text::Gbk("Total Annihilation")) != platform::kNoWindow ||
           windows.findWindow(text::Gbk("Supreme Commander")) != platform::kNoWindow;
}

Services servicesOf(HeadlessMachine& machine, platform::TlsClientSocket& lobbySocket,
                    protocol::ChannelFlags& flags, platform::ClientSocket& testSocket,
                    platform::EventLoop& loop,
                    std::function<void(std::chrono::milliseconds)> gameWait) {
    return Services{
        .clientsocket1 = lobbySocket,
        .channelFlags = flags,
        .testSocket = testSocket,
        .loop = loop,
        .sleeper = machine.sleeper,
        .registry = machine.registry,
        .files = machine.files,
        .system = machine.system,
        .network = machine.network,
        .clock = machine.clock,
        .infoBox = machine.infoBox,
        .sound = machine.sound,
        .desktop = machine.desktop,
        .inputpassword = machine.inputpassword,
        .openFile = machine.openFile,
        .log = machine.log,
        .gameWindows = machine.gameWindows,
        .launcher = machine.launcher,
        .sharedMemory = machine.sharedMemory,
        .gameWait = std::move(gameWait),
        .gameRunning = [&machine] { return anyGameWindow(machine.gameWindows); },
        .openUrl = {},
        .communitySite = text::Gbk("http://ardentis.invalid/"),
    };
}

}  // namespace

HeadlessClient::HeadlessClient(HeadlessMachine& machine, platform::ClientSocket& lobbySocket,
                               platform::ClientSocket& testSocket, platform::EventLoop& loop)
    : lobbyTls(lobbySocket, platform::makeSystemTlsEngine),
      client(servicesOf(machine, lobbyTls, lobbyFlags, testSocket, loop,
                        [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); }),
             main.controls(), login.controls(), battleroom.controls(), options.controls(),
             splash.controls()) {}

HeadlessClient::HeadlessClient(HeadlessMachine& machine, platform::ClientSocket& lobbySocket,
                               platform::ClientSocket& testSocket, platform::ManualEventLoop& loop)
    : lobbyTls(lobbySocket, platform::makeSystemTlsEngine),
      client(servicesOf(machine, lobbyTls, lobbyFlags, testSocket, loop,
                        [&loop](std::chrono::milliseconds wait) { loop.advance(wait); }),
             main.controls(), login.controls(), battleroom.controls(), options.controls(),
             splash.controls()) {}

}  // namespace ardentis::forms
