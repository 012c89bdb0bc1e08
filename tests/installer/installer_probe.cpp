// Starts the installed Ardentis.exe as a user would, through its Start-menu shortcut, and
// waits for its lobby window (the top-level window holding the version label) to show the
// version text it is given; then ends the exe. Arguments: the shortcut, the text
// ("Version:0.1.0.0"). Status 0 when the window showed the text in time.
#include <windows.h>

#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/resource.h"

namespace {

using namespace std::chrono_literals;

HWND lobbyWindow() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            if (IsWindowVisible(window) == FALSE || GetDlgItem(window, IDC_MAIN_LVER) == nullptr) {
                return TRUE;
            }
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// WM_GETTEXT is copied across processes; a hung exe answers with nothing.
std::wstring textOf(HWND control) {
    std::wstring text(256, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                            SMTO_ABORTIFHUNG, 5000, &copied) == 0) {
        copied = 0;
    }
    text.resize(copied);
    return text;
}

void endProcessOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process != nullptr) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: installer_probe SHORTCUT VERSION-TEXT\n", stderr);
        return 2;
    }
    const std::wstring wanted = argv[2];
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOASYNC;
    start.lpFile = argv[1];
    start.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&start) == FALSE) {
        std::fprintf(stderr, "probe: the shortcut did not start (error %lu)\n", GetLastError());
        return 1;
    }
    // The splash shows for two seconds first; the rest is Wine starting the exe.
    HWND lobby = nullptr;
    std::wstring shown;
    for (const auto deadline = std::chrono::steady_clock::now() + 40s;
         shown != wanted && std::chrono::steady_clock::now() < deadline;
         std::this_thread::sleep_for(100ms)) {
        lobby = lobbyWindow();
        shown = lobby == nullptr ? L"" : textOf(GetDlgItem(lobby, IDC_MAIN_LVER));
    }
    if (lobby == nullptr) {
        std::fputs("probe: no lobby window came\n", stderr);
        return 1;
    }
    endProcessOf(lobby);
    if (shown != wanted) {
        std::fprintf(stderr, "probe: the lobby window shows \"%ls\"\n", shown.c_str());
        return 1;
    }
    std::puts("probe: the lobby window came and shows the version");
    return 0;
}
