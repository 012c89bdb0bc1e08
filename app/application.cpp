#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include "app/application.h"

#include <system_error>

#include "app/desktop.h"
#include "app/resource.h"
#include "app/traffic_log_place.h"
#include "platform/file_append.h"
#include "ui/win32/handler_failure.h"

namespace ardentis::app {
namespace {

forms::Services servicesOf(Application& app, std::span<const std::wstring> arguments) {
    return forms::Services{
        .clientsocket1 = app.lobbySocket,
        .channelFlags = app.lobbyFlags,
        .testSocket = app.testSocket,
        .loop = app.loop,
        .sleeper = app.sleeper,
        .registry = app.registry,
        .files = app.files,
        .system = app.system,
        .network = app.network,
        .clock = app.clock,
        .infoBox = app.infoBox,
        .sound = app.sound,
        .desktop = app.desktop,
        .inputpassword = app.inputpassword,
        .openFile = app.openFile,
        .log = app.log,
        .gameWindows = app.gameWindows,
        .launcher = app.launcher,
        .sharedMemory = app.sharedMemory,
        // The wait for a game's window really holds the window thread, 10 ms at a time.
        .gameWait =
            [&app](std::chrono::milliseconds wait) {
                app.sleeper.sleepMs(static_cast<int>(wait.count()));
            },
        .gameRunning = [] { return gameWindowOpen(); },
        .openUrl = [](const text::Gbk& url) { openInBrowser(url); },
        .communitySite = communitySite(arguments, app.registry),
    };
}

// %LOCALAPPDATA%\Ardentis, made when missing.
std::optional<std::filesystem::path> localAppDataFolder() {
    PWSTR found = nullptr;
    std::optional<std::filesystem::path> folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &found))) {
        folder = std::filesystem::path(found) / L"Ardentis";
    }
    CoTaskMemFree(found);
    if (folder) {
        std::error_code error;
        std::filesystem::create_directories(*folder, error);  // the open below tells if it failed
    }
    return folder;
}

std::unique_ptr<platform::AppendFile> trafficLogFile() {
    auto file = openTrafficLog(
        platform::executableDirectory(), localAppDataFolder,
        [](const std::filesystem::path& path) { return platform::appendFileAt(path); });
    if (file->path().empty()) {
        OutputDebugStringW(L"Ardentis: no folder takes ardentisclient.log; the log is off.\n");
    }
    return file;
}

}  // namespace

Application::Application(std::span<const std::wstring> arguments)
    : network(arguments),
      log(trafficLogFile(), clock),
      login(main.dialog.handle()),
      battleroom(main.dialog.handle()),
      options(main.dialog.handle()),
      splash(main.dialog.handle()),
      desktop(main.dialog.handle(), battleroom.dialog.handle(), IDI_ARDENTIS),
      client(servicesOf(*this, arguments), main.controls(), login.controls(), battleroom.controls(),
             options.controls(), splash.controls()) {
    // Closing the lobby window ends the program once the window's own close has run.
    main.window.onClose.set([this] {
        client.FormMain.FormClose();
        platform::Win32EventLoop::quit(0);
    });
    battleroom.banner.onClick.set(
        [this] { client.services.openUrl(client.services.communitySite); });
    // What a window's handler throws is caught at the window procedure; it is noted in the
    // traffic log, where the records before it are.
    win32::setFailureSink([this](const std::string& message) { log.LogText(text::Gbk(message)); });
}

Application::~Application() {
    win32::setFailureSink(nullptr);
}

void Application::start() {
    client.start();
}

int Application::run() {
    return loop.run();
}

}  // namespace ardentis::app
