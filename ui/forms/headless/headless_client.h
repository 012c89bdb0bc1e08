#pragma once

#include <filesystem>
#include <memory>

#include "controls/memory/memory_dialogs.h"
#include "platform/client_socket.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/fake/fake_desktop_notifier.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_game_windows.h"
#include "platform/fake/fake_network_info.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shared_memory.h"
#include "platform/fake/fake_system_info.h"
#include "platform/fake/instant_sleeper.h"
#include "platform/fake/manual_event_loop.h"
#include "platform/fake/recording_launcher.h"
#include "platform/fake/recording_sound_player.h"
#include "protocol/channel_flags.h"
#include "protocol/traffic_log.h"
#include "ui/forms/client.h"
#include "ui/forms/memory/memory_windows.h"

namespace ardentis::forms {

// The machine a headless client runs on: registry, files, volumes, addresses and sounds in
// memory, and a traffic log in a file of the caller's choosing.
struct HeadlessMachine {
    explicit HeadlessMachine(std::filesystem::path logFile);

    platform::FakeRegistry registry;
    platform::FakeFileSystem files;
    platform::FakeSystemInfo system;
    platform::FakeNetworkInfo network;
    platform::SystemClock clock;
    platform::InstantSleeper sleeper;
    platform::RecordingSoundPlayer sound;
    platform::FakeDesktopNotifier desktop;
    MemoryInfoBox infoBox;
    MemoryPasswordPrompt inputpassword;
    MemoryOpenFileDialog openFile;
    protocol::TrafficLog log;
    platform::FakeGameWindows gameWindows;
    platform::RecordingLauncher launcher;
    platform::FakeSharedMemory sharedMemory;

    // A Total Annihilation installation the mod table finds, and a virtual-LAN address (on
    // a LAN adapter's side, and in the host-name lookup), so that rooms can be made and joined.
    void installGame(const text::Gbk& taDir);
    void setVirtualLanAddress(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d);
    // Stored settings, as the options window would have written them.
    void storeSettings(const text::Gbk& account, const text::Gbk& password, const text::Gbk& host,
                       std::uint16_t port, bool autoLogin);
};

// A whole client over in-memory windows, on the caller's sockets and event loop.
class HeadlessClient {
  public:
    // The wait for a game's window really sleeps.
    HeadlessClient(HeadlessMachine& machine, platform::ClientSocket& lobbySocket,
                   platform::ClientSocket& testSocket, platform::EventLoop& loop);
    // The wait for a game's window moves the manual clock instead, so that simulated
    // games on the same loop go on meanwhile and no test pays the time.
    HeadlessClient(HeadlessMachine& machine, platform::ClientSocket& lobbySocket,
                   platform::ClientSocket& testSocket, platform::ManualEventLoop& loop);

    // The lobby socket as the client drives it: plain, or TLS when the settings ask for it.
    platform::TlsClientSocket lobbyTls;
    // The lobby channel's flags: this client's own, outliving every connection state.
    protocol::ChannelFlags lobbyFlags;
    MemoryMainWindow main;
    MemoryLoginWindow login;
    MemoryBattleroomWindow battleroom;
    MemoryOptionsWindow options;
    MemorySplashWindow splash;
    Client client;
};

}  // namespace ardentis::forms
