#pragma once

#include <span>
#include <string>

#include "app/battleroom_window.h"
#include "app/client_network_info.h"
#include "app/login_window.h"
#include "app/main_window.h"
#include "app/options_window.h"
#include "app/splash_window.h"
#include "app/wave_sound_player.h"
#include "platform/file_system.h"
#include "platform/sleeper.h"
#include "platform/win32/win32_event_loop.h"
#include "platform/win32/win32_game_windows.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shared_memory.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/winsock_client_socket.h"
#include "protocol/channel_flags.h"
#include "protocol/traffic_log.h"
#include "ui/forms/client.h"
#include "ui/win32/win32_desktop_notifier.h"
#include "ui/win32/win32_info_box.h"
#include "ui/win32/win32_open_file_dialog.h"
#include "ui/win32/win32_password_prompt.h"

namespace ardentis::app {

// The whole Windows client: the machine's services, the five windows on their dialog
// resources (made in the order lobby, log-in, battle room, options, then the splash), and
// the client's logic over them. Lives on the window thread.
class Application {
  public:
    // `arguments` are the command line's, without the program name: "--site=" (see
    // communitySite) and "--lan-addresses=" (see ClientNetworkInfo).
    explicit Application(std::span<const std::wstring> arguments);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Program start: the windows' creation handlers, which show the splash; its timer
    // shows the lobby window.
    void start();
    // The message loop, until the lobby window closes; returns the exit code.
    int run();

    platform::Win32EventLoop loop;
    platform::WinsockClientSocket lobbyTcp;
    platform::TlsClientSocket lobbySocket{lobbyTcp, platform::makeSystemTlsEngine};
    protocol::ChannelFlags lobbyFlags;  // the lobby channel's, as long-lived as its socket
    platform::WinsockClientSocket testSocket;
    platform::ThreadSleeper sleeper;
    platform::Win32Registry registry;
    platform::SystemFileSystem files;
    platform::Win32SystemInfo system;
    ClientNetworkInfo network;
    platform::SystemClock clock;
    platform::Win32GameWindows gameWindows;
    platform::Win32ProcessLauncher launcher;
    platform::Win32SharedMemory sharedMemory;
    WaveSoundPlayer sound;
    protocol::TrafficLog log;

    MainWindow main;
    LoginWindow login;
    BattleroomWindow battleroom;
    OptionsWindow options;
    SplashWindow splash;

    // Owned by the thread's active window when they open, so that they come above the
    // always-on-top windows.
    win32::Win32InfoBox infoBox;
    win32::Win32PasswordPrompt inputpassword;
    win32::Win32OpenFileDialog openFile;
    // The taskbar and tray for the lobby and room windows: made after them, gone before them.
    win32::Win32DesktopNotifier desktop;

    forms::Client client;
};

}  // namespace ardentis::app
