#include <windows.h>

#include "app/application.h"

#include "app/desktop.h"
#include "app/resource.h"
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

}  // namespace

Application::Application(std::span<const std::wstring> arguments)
    : network(arguments),
      log(platform::appendFileAt(platform::executableDirectory() / "ardentisclient.log"), clock),
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
