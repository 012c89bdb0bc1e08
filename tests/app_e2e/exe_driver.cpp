// The Windows side of the end-to-end test of Ardentis.exe, run under the same Wine server
// and X display as the exe: it writes the exe's settings into the registry, starts the
// exe, and then works it from outside the way a user would, through the exe's real
// windows: it reads the controls, types a chat line into the lobby's input box and double
// clicks the headless client's room. At the end it closes the exe with the lobby's quit
// button and reads the traffic log beside it. Each step is printed; the first one that
// does not come within its limit fails the run (status 1).
//
// Arguments, each NAME=VALUE: exe (a copy of Ardentis.exe in a directory of its own),
// host, port, account, password, tadir (a directory holding totala.exe), lan (the
// virtual-LAN address list for the exe), peer (the headless client's account), say (a
// chat line), hear (the peer's whole line as it arrives).
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/resource.h"
#include "protocol/des.h"
#include "tests/win32/raw_registry.h"

namespace {

using ardentis::testing::RawHive;
using Clock = std::chrono::steady_clock;

const std::wstring kOurs = L"Software\\Morvane\\Ardentis";
const std::wstring kOptions = L"Software\\Morvane\\Ardentis\\options";
// Cross-process messages give up after this, so a hung exe fails the run instead of it.
constexpr UINT kMessageLimitMs = 5000;

std::string inCodePage(UINT codePage, const std::wstring& text) {
    const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

void report(const std::wstring& line) {
    std::fputs(inCodePage(CP_UTF8, L"exe: " + line + L"\n").c_str(), stdout);
    std::fflush(stdout);
}

std::map<std::wstring, std::wstring> namedArguments() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::map<std::wstring, std::wstring> named;
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = words[i];
        const auto equals = argument.find(L'=');
        if (equals != std::wstring::npos) {
            named[argument.substr(0, equals)] = argument.substr(equals + 1);
        }
    }
    LocalFree(words);
    return named;
}

// The text of a control of another process: WM_GETTEXT is copied across processes, while
// GetWindowText would give only a caption.
std::optional<std::wstring> controlText(HWND control) {
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageLimitMs,
                            &length) == 0) {
        return std::nullopt;
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                            SMTO_ABORTIFHUNG, kMessageLimitMs, &copied) == 0) {
        return std::nullopt;
    }
    text.resize(copied);
    return text;
}

std::wstring textOr(HWND control, const wchar_t* otherwise = L"") {
    return control == nullptr ? otherwise : controlText(control).value_or(otherwise);
}

int sendNumber(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageLimitMs,
                            &result) == 0) {
        return -1;
    }
    return static_cast<int>(result);
}

// The control with the id somewhere below `parent` (tab pages are child dialogs).
HWND descendant(HWND parent, int id) {
    struct Search {
        int id;
        HWND found = nullptr;
    } search{id};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(child) == wanted->id) {
                wanted->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> visibleTopLevelWindows(DWORD process) {
    struct Search {
        DWORD process;
        std::vector<HWND> found;
    } search{process, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == wanted->process && IsWindowVisible(window) != FALSE) {
                wanted->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The exe's visible top-level window that holds the control.
HWND visibleWindowWith(DWORD process, int controlId) {
    for (HWND window : visibleTopLevelWindows(process)) {
        if (descendant(window, controlId) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

// Memory inside the exe, for the list view messages that carry pointers.
class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, std::size_t size)
        : process_(process),
          address_(
              VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (address_ != nullptr) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    [[nodiscard]] char* address() const { return static_cast<char*>(address_); }
    bool write(std::size_t offset, const void* data, std::size_t size) const {
        return address_ != nullptr &&
               WriteProcessMemory(process_, address() + offset, data, size, nullptr) != FALSE;
    }
    bool read(std::size_t offset, void* data, std::size_t size) const {
        return address_ != nullptr &&
               ReadProcessMemory(process_, address() + offset, data, size, nullptr) != FALSE;
    }

  private:
    HANDLE process_;
    void* address_;
};

class Exe {
  public:
    explicit Exe(const PROCESS_INFORMATION& started) : info_(started) {}
    ~Exe() {
        if (running()) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    Exe(const Exe&) = delete;
    Exe& operator=(const Exe&) = delete;

    [[nodiscard]] bool running() const {
        return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
    }
    [[nodiscard]] DWORD id() const { return info_.dwProcessId; }
    [[nodiscard]] HANDLE handle() const { return info_.hProcess; }

    [[nodiscard]] int rowCount(HWND list) const { return sendNumber(list, LVM_GETITEMCOUNT); }

    [[nodiscard]] std::wstring cell(HWND list, int row, int column) const {
        constexpr std::size_t kChars = 512;
        RemoteBuffer buffer(info_.hProcess, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
        LVITEMW item{};
        item.iSubItem = column;
        item.cchTextMax = static_cast<int>(kChars);
        item.pszText = reinterpret_cast<wchar_t*>(buffer.address() + sizeof(LVITEMW));
        std::wstring text(kChars, L'\0');
        if (!buffer.write(0, &item, sizeof item) ||
            sendNumber(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(buffer.address())) < 0 ||
            !buffer.read(sizeof(LVITEMW), text.data(), kChars * sizeof(wchar_t))) {
            return L"<unreadable>";
        }
        text.resize(text.find(L'\0'));
        return text;
    }

    [[nodiscard]] bool listsRow(HWND list, const std::wstring& caption) const {
        const int rows = rowCount(list);
        for (int row = 0; row < rows; ++row) {
            if (cell(list, row, 0) == caption) {
                return true;
            }
        }
        return false;
    }

    [[nodiscard]] std::optional<RECT> rowRect(HWND list, int row) const {
        RemoteBuffer buffer(info_.hProcess, sizeof(RECT));
        RECT rect{};
        rect.left = LVIR_BOUNDS;
        if (!buffer.write(0, &rect, sizeof rect) ||
            sendNumber(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(buffer.address())) <= 0 ||
            !buffer.read(0, &rect, sizeof rect)) {
            return std::nullopt;
        }
        return rect;
    }

    // What the exe shows, for a failure's report: its windows' titles and texts.
    void describe() const {
        for (HWND window : visibleTopLevelWindows(info_.dwProcessId)) {
            wchar_t title[256]{};
            GetWindowTextW(window, title, 256);
            report(std::wstring(L"  window \"") + title + L"\"");
            EnumChildWindows(
                window,
                [](HWND child, LPARAM) -> BOOL {
                    wchar_t kind[64]{};
                    GetClassNameW(child, kind, 64);
                    const std::wstring text = textOr(child);
                    if (IsWindowVisible(child) != FALSE && !text.empty() &&
                        std::wstring(kind) != L"Edit") {
                        report(L"    " + std::wstring(kind) + L" " +
                               std::to_wstring(GetDlgCtrlID(child)) + L": " + text);
                    }
                    return TRUE;
                },
                0);
        }
    }

  private:
    PROCESS_INFORMATION info_;
};

// Polls `done` until it holds or `limit` passes; the exe ending early fails at once.
bool step(const Exe& exe, const std::wstring& what, const std::function<bool()>& done,
          std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (true) {
        if (done()) {
            report(what);
            return true;
        }
        if (!exe.running()) {
            report(L"FAILED: the exe ended while waiting until " + what);
            return false;
        }
        if (Clock::now() > deadline) {
            report(L"FAILED: waited " + std::to_wstring(limit.count()) + L" s until " + what);
            exe.describe();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

void writeSettings(std::map<std::wstring, std::wstring>& named) {
    using ardentis::testing::writeRawText;
    ardentis::testing::deleteRawTree(RawHive::CurrentUser, kOurs);
    std::wstring taDir = named[L"tadir"];
    if (!taDir.ends_with(L'\\')) {
        taDir += L'\\';
    }
    const std::string cipher =
        ardentis::protocol::des::EncryptHex(inCodePage(936, named[L"password"]));
    const auto hu = RawHive::CurrentUser;
    writeRawText(hu, kOptions, L"usr", named[L"account"]);
    writeRawText(hu, kOptions, L"pwd", std::wstring(cipher.begin(), cipher.end()));
    writeRawText(hu, kOptions, L"autologin", L"0");  // "0" is on
    writeRawText(hu, kOptions, L"host", named[L"host"]);
    writeRawText(hu, kOptions, L"port", named[L"port"]);
    writeRawText(hu, kOptions, L"checkfile", L"1");  // no prompts about game directories
    writeRawText(hu, kOptions, L"TAdir", taDir);
    writeRawText(hu, kOptions, L"vnntype", L"0");  // the "10.140." kind
}

std::optional<PROCESS_INFORMATION> startExe(const std::wstring& exe, const std::wstring& lan) {
    std::wstring commandLine = L"\"" + exe + L"\" --lan-addresses=" + lan;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info) == FALSE) {
        report(L"FAILED: cannot start " + exe + L" (error " + std::to_wstring(GetLastError()) +
               L")");
        return std::nullopt;
    }
    return info;
}

// Keys as the keyboard's characters reach the edit control: its own WM_CHAR handling
// inserts them and Enter ends the line, which the exe's key hook sends.
void typeLine(HWND edit, const std::wstring& line) {
    for (const wchar_t ch : line) {
        PostMessageW(edit, WM_CHAR, ch, 1);
    }
    PostMessageW(edit, WM_CHAR, L'\r', 1);
}

// A double click with the left button, as the mouse gives it, at a point of the control.
void doubleClick(HWND control, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(control, WM_LBUTTONUP, 0, where);
    PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
    PostMessageW(control, WM_LBUTTONUP, 0, where);
}

std::string fileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int drive(std::map<std::wstring, std::wstring>& named) {
    using std::chrono::seconds;
    const std::wstring account = named[L"account"];
    const std::wstring peer = named[L"peer"];
    const std::wstring exePath = named[L"exe"];
    const std::wstring logPath =
        exePath.substr(0, exePath.find_last_of(L'\\') + 1) + L"ardentisclient.log";
    DeleteFileW(logPath.c_str());

    writeSettings(named);
    report(L"settings written for " + account + L" at " + named[L"host"] + L":" + named[L"port"]);
    const auto started = startExe(exePath, named[L"lan"]);
    if (!started) {
        return 1;
    }
    Exe exe(*started);

    HWND lobby = nullptr;
    HWND lvlobby = nullptr;
    HWND lvrooms = nullptr;
    HWND memRecev = nullptr;
    HWND memSend = nullptr;
    if (!step(
            exe, L"the lobby window shows",
            [&] {
                lobby = visibleWindowWith(exe.id(), IDC_MAIN_LVROOMS);
                return lobby != nullptr && textOr(lobby) == L"Ardentis";
            },
            seconds(40))) {
        return 1;
    }
    lvlobby = descendant(lobby, IDC_MAIN_LVLOBBY);
    lvrooms = descendant(lobby, IDC_MAIN_LVROOMS);
    memRecev = descendant(lobby, IDC_MAIN_MEMRECEV);
    memSend = descendant(lobby, IDC_MAIN_MEMSEND);
    HWND connect = descendant(lobby, IDC_MAIN_BITBTN1);
    HWND prompt = descendant(lobby, IDC_MAIN_PROMPT);
    HWND quit = descendant(lobby, IDC_MAIN_BITBTN4);

    if (!step(
            exe, L"logged in automatically as " + account,
            [&] {
                return textOr(connect) == L"断开" &&
                       textOr(prompt) == L"用户:" + account + L" 位置:大厅";
            },
            seconds(20)) ||
        !step(
            exe, L"the lobby lists " + account + L" and " + peer,
            [&] {
                return exe.rowCount(lvlobby) == 2 && exe.listsRow(lvlobby, account) &&
                       exe.listsRow(lvlobby, peer);
            },
            seconds(20)) ||
        !step(
            exe, L"the lobby lists " + peer + L"'s room",
            [&] { return exe.rowCount(lvrooms) == 1 && exe.cell(lvrooms, 0, 7) == peer; },
            seconds(20)) ||
        !step(
            exe, L"the lobby chat shows " + named[L"hear"],
            [&] { return contains(textOr(memRecev), named[L"hear"]); }, seconds(20))) {
        return 1;
    }

    const std::wstring ownLine = account + L">>" + named[L"say"];
    typeLine(memSend, named[L"say"]);
    if (!step(
            exe, L"the lobby chat shows " + ownLine,
            [&] { return contains(textOr(memRecev), ownLine); }, seconds(20))) {
        return 1;
    }

    const auto row = exe.rowRect(lvrooms, 0);
    if (!row) {
        report(L"FAILED: no rectangle for the room's row");
        return 1;
    }
    doubleClick(lvrooms, POINT{row->left + 8, (row->top + row->bottom) / 2});
    HWND room = nullptr;
    HWND lvRoom = nullptr;
    if (!step(
            exe, L"the battle room shows " + peer + L" and " + account,
            [&] {
                room = visibleWindowWith(exe.id(), IDC_ROOM_LVROOM);
                lvRoom = room != nullptr ? descendant(room, IDC_ROOM_LVROOM) : nullptr;
                return lvRoom != nullptr && exe.rowCount(lvRoom) == 2 &&
                       exe.cell(lvRoom, 0, 0) == peer && exe.cell(lvRoom, 1, 0) == account;
            },
            seconds(20))) {
        return 1;
    }

    PostMessageW(quit, BM_CLICK, 0, 0);
    if (!step(
            exe, L"the quit button ended the exe", [&] { return !exe.running(); }, seconds(20))) {
        return 1;
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(exe.handle(), &exitCode);
    if (exitCode != 0) {
        report(L"FAILED: the exe ended with status " + std::to_wstring(exitCode));
        return 1;
    }

    // The traffic log beside the exe, in code page 936.
    const std::string log = fileBytes(logPath);
    const std::vector<std::pair<std::wstring, std::string>> records{
        {L"the log-in sent", " Send 0:0 sparam1:" + inCodePage(936, account) + " "},
        {L"the log-in answered", " Recv 0:0 "},
        {L"the chat line sent", " Send 1:0 sparam1:" + inCodePage(936, ownLine) + " "},
        {L"the peer's chat line received", " Recv 1:0 sparam1:" + inCodePage(936, named[L"hear"])},
        {L"the join sent", " Send 4:10 "},
    };
    bool allThere = true;
    for (const auto& [what, bytes] : records) {
        if (log.find(bytes) == std::string::npos) {
            report(L"FAILED: the traffic log lacks " + what);
            allThere = false;
        }
    }
    if (!allThere) {
        report(L"traffic log " + logPath + L" holds " + std::to_wstring(log.size()) + L" bytes");
        return 1;
    }
    report(L"the traffic log holds the log-in, the chat lines and the join");
    return 0;
}

}  // namespace

int main() {
    auto named = namedArguments();
    for (const wchar_t* required : {L"exe", L"host", L"port", L"account", L"password", L"tadir",
                                    L"lan", L"peer", L"say", L"hear"}) {
        if (named[required].empty()) {
            report(std::wstring(L"missing ") + required + L"=VALUE");
            return 2;
        }
    }
    const int status = drive(named);
    ardentis::testing::deleteRawTree(RawHive::CurrentUser, kOurs);
    return status;
}
