// Working Ardentis.exe from another process under the same Wine server, the way a user
// would: reading its real controls, clicking and typing into them, and waiting, within a
// limit, for what it shows. Shared by the end-to-end drivers.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ardentis::e2e {

// Every report line starts with this name, so that two drivers' lines can be told apart.
void setReportName(const std::wstring& name);
void report(const std::wstring& line);

std::string inCodePage(UINT codePage, const std::wstring& text);
// The program's NAME=VALUE arguments.
std::map<std::wstring, std::wstring> namedArguments();
// Reports the first required argument that is missing or empty; true when none is.
bool hasArguments(std::map<std::wstring, std::wstring>& named,
                  std::initializer_list<const wchar_t*> required);

// The text of a control of another process, or `otherwise` when it can't be read.
std::optional<std::wstring> controlText(HWND control);
std::wstring textOr(HWND control, const wchar_t* otherwise = L"");
// A message whose answer is a number; -1 when the exe does not answer in time.
int sendNumber(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// The control with the id somewhere below `parent` (tab pages are child dialogs).
HWND descendant(HWND parent, int id);
// The process's visible top-level window that holds the control.
HWND visibleWindowWith(DWORD process, int controlId);

// A started Ardentis.exe; ended by force if it still runs when this goes.
class Exe {
  public:
    explicit Exe(const PROCESS_INFORMATION& started) : info_(started) {}
    ~Exe();
    Exe(const Exe&) = delete;
    Exe& operator=(const Exe&) = delete;

    [[nodiscard]] bool running() const;
    [[nodiscard]] DWORD id() const { return info_.dwProcessId; }
    [[nodiscard]] HANDLE handle() const { return info_.hProcess; }

    // List views: their items live in the exe, so the texts are copied through its memory.
    [[nodiscard]] int rowCount(HWND list) const;
    [[nodiscard]] std::wstring cell(HWND list, int row, int column) const;
    [[nodiscard]] bool listsRow(HWND list, const std::wstring& caption) const;
    // The row whose caption is `caption`, or -1.
    [[nodiscard]] int rowOf(HWND list, const std::wstring& caption) const;
    [[nodiscard]] std::optional<RECT> rowRect(HWND list, int row) const;

    // What the exe shows, for a failure's report: its windows' titles and texts.
    void describe() const;

  private:
    PROCESS_INFORMATION info_;
};

// Polls `done` until it holds or `limit` passes; the exe ending early fails at once.
bool step(const Exe& exe, const std::wstring& what, const std::function<bool()>& done,
          std::chrono::seconds limit);

bool contains(const std::wstring& text, const std::wstring& part);
std::string fileBytes(const std::wstring& path);

// The exe's stored settings: the account with its password, the server, automatic log-in
// on, no questions about game directories, the Total Annihilation directory.
void writeSettings(const std::wstring& account, const std::wstring& password,
                   const std::wstring& host, const std::wstring& port, const std::wstring& taDir);
void deleteSettings();
// Starts the exe with its virtual-LAN address list.
std::optional<PROCESS_INFORMATION> startExe(const std::wstring& exe, const std::wstring& lan);

// The lobby window's controls that the drivers read and press.
struct LobbyWindow {
    HWND window = nullptr;
    HWND lvlobby = nullptr;
    HWND lvrooms = nullptr;
    HWND memRecev = nullptr;
    HWND memSend = nullptr;
    HWND connect = nullptr;
    HWND prompt = nullptr;
    HWND quit = nullptr;
};
// Waits for the lobby window, then for the automatic log-in as `account`.
std::optional<LobbyWindow> waitForLogIn(const Exe& exe, const std::wstring& account);
// Presses the lobby's quit button; true when the exe then ends with status 0.
bool quit(const Exe& exe, const LobbyWindow& lobby);

// The traffic log beside the exe, in code page 936.
std::wstring trafficLogPath(const std::wstring& exe);
// Reports each part (what, bytes) missing from the log; true when none is.
bool logHolds(const std::string& log,
              const std::vector<std::pair<std::wstring, std::string>>& parts);

// Keys as the keyboard's characters reach an edit control; Enter ends the line.
void typeLine(HWND edit, const std::wstring& line);
// A double click with the left button, as the mouse gives it, at a point of the control.
void doubleClick(HWND control, POINT at);

}  // namespace ardentis::e2e
