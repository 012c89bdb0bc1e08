#include <windows.h>

#include <fstream>
#include <string>

#include "tools/win32/sim_game_session.h"

namespace ardentis::bench {

SimGameSession::SimGameSession(const std::filesystem::path& simulatedGame) {
    directory_ = std::filesystem::temp_directory_path() /
                 ("ardentis-bench-" + std::to_string(GetCurrentProcessId()));
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    std::filesystem::copy_file(simulatedGame, directory_ / "totala.exe",
                               std::filesystem::copy_options::overwrite_existing, error);
    std::ofstream(directory_ / "tmphost.ini", std::ios::binary)
        << "[totala]\r\ncreator=1\r\nplayer=bench\r\n";
    SetEnvironmentVariableW(L"ARDENTIS_SIM_TA_READY_MS", L"2000000000");
    const std::filesystem::path program = directory_ / "totala.exe";
    std::wstring commandLine = L"\"" + program.wstring() + L"\" -c tmphost.ini";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info) != FALSE) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
}

SimGameSession::~SimGameSession() {
    if (process_ != nullptr) {
        if (HWND window = FindWindowW(nullptr, L"Total Annihilation"); window != nullptr) {
            SendMessageW(window, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, 10000);
        }
        CloseHandle(process_);
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

platform::WindowHandle SimGameSession::waitForWindow() const {
    if (process_ == nullptr) {
        return platform::kNoWindow;
    }
    for (int tries = 0; tries < 2000; ++tries) {
        if (HWND window = FindWindowW(nullptr, L"Total Annihilation"); window != nullptr) {
            return reinterpret_cast<platform::WindowHandle>(window);
        }
        Sleep(10);
    }
    return platform::kNoWindow;
}

}  // namespace ardentis::bench
