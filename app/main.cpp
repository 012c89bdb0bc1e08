#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/win32/win32_registry.h"
#include "settings/options_store.h"
#include "text/shown.h"
#include "ui/win32/common_controls.h"

namespace {

// The command line's arguments after the program name.
std::vector<std::wstring> commandLineArguments() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.emplace_back(words[i]);
    }
    LocalFree(static_cast<HLOCAL>(words));
    return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ardentis::win32::initCommonControls();
    try {
        const std::vector<std::wstring> arguments = commandLineArguments();
        {
            // Once, before any window: the dialogs take their texts when they are made.
            ardentis::platform::Win32Registry registry;
            ardentis::text::setLanguage(ardentis::settings::storedLanguage(registry));
        }
        ardentis::app::Application application(arguments);
        application.start();
        return application.run();
    } catch (const std::exception& error) {
        const std::string what = error.what();
        MessageBoxA(nullptr, what.c_str(), "Ardentis", MB_ICONERROR | MB_OK);
        return 1;
    }
}
