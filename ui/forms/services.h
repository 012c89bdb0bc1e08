#pragma once

#include <chrono>
#include <functional>

#include "controls/open_file_dialog.h"
#include "controls/password_prompt.h"
#include "platform/client_socket.h"
#include "platform/clock.h"
#include "platform/desktop_notifier.h"
#include "platform/event_loop.h"
#include "platform/file_system.h"
#include "platform/game_windows.h"
#include "platform/info_box.h"
#include "platform/network_info.h"
#include "platform/process_launcher.h"
#include "platform/registry.h"
#include "platform/shared_memory.h"
#include "platform/sleeper.h"
#include "platform/sound_player.h"
#include "platform/system_info.h"
#include "platform/tls_client_socket.h"
#include "protocol/channel_flags.h"
#include "protocol/traffic_log.h"
#include "text/gbk.h"

namespace ardentis::forms {

// The outside world as the client's windows use it. All borrowed; each outlives the client.
struct Services {
    platform::TlsClientSocket& clientsocket1;  // the lobby connection, plain or over TLS
    // The lobby connection's send and receive flags; they live as long as its socket, so
    // a send still running on a replaced connection state keeps the next one out.
    protocol::ChannelFlags& channelFlags;
    platform::ClientSocket& testSocket;  // the options window's network test (ClientSocket1)
    platform::EventLoop& loop;
    platform::Sleeper& sleeper;
    platform::Registry& registry;
    platform::FileSystem& files;
    platform::SystemInfo& system;
    platform::NetworkInfo& network;
    platform::Clock& clock;
    platform::InfoBox& infoBox;
    platform::SoundPlayer& sound;
    platform::DesktopNotifier& desktop;  // the taskbar and the tray, while the client is behind
    PasswordPrompt& inputpassword;
    OpenFileDialog& openFile;
    const protocol::TrafficLog& log;
    platform::GameWindows& gameWindows;    // the games' windows
    platform::ProcessLauncher& launcher;   // starts the games
    platform::SharedMemory& sharedMemory;  // the demo recorder's
    // Blocks the window thread for one poll of the wait for a game's window.
    std::function<void(std::chrono::milliseconds)> gameWait;
    // True while a top-level window titled "Total Annihilation" or "Supreme Commander" exists.
    std::function<bool()> gameRunning;
    // Opens a web address in the user's browser.
    std::function<void(const text::Gbk&)> openUrl;
    // The community site behind the banners and in the missing-mod messages.
    text::Gbk communitySite;
};

}  // namespace ardentis::forms
