#include "tests/app_e2e/exe_remote.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/resource.h"
#include "protocol/des.h"
#include "tests/win32/raw_registry.h"

namespace ardentis::e2e {
namespace {

using testing::RawHive;
using Clock = std::chrono::steady_clock;

const std::wstring kOurs = L"Software\\Morvane\\Ardentis";
const std::wstring kOptions = L"Software\\Morvane\\Ardentis\\options";
// Cross-process messages give up after this, so a hung exe fails the run instead of it.
constexpr UINT kMessageLimitMs = 5000;

std::wstring& reportName() {
    static std::wstring name = L"exe";
    return name;
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

}  // namespace

std::string inCodePage(UINT codePage, const std::wstring& text) {
    const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

void setReportName(const std::wstring& name) {
    reportName() = name;
}

void report(const std::wstring& line) {
    std::fputs(inCodePage(CP_UTF8, reportName() + L": " + line + L"\n").c_str(), stdout);
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

bool hasArguments(std::map<std::wstring, std::wstring>& named,
                  std::initializer_list<const wchar_t*> required) {
    for (const wchar_t* name : required) {
        if (named[name].empty()) {
            report(std::wstring(L"missing ") + name + L"=VALUE");
            return false;
        }
    }
    return true;
}

// WM_GETTEXT is copied across processes, while GetWindowText would give only a caption.
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

std::wstring textOr(HWND control, const wchar_t* otherwise) {
    return control == nullptr ? otherwise : controlText(control).value_or(otherwise);
}

int sendNumber(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageLimitMs,
                            &result) == 0) {
        return -1;
    }
    return static_cast<int>(result);
}

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

HWND visibleWindowWith(DWORD process, int controlId) {
    for (HWND window : visibleTopLevelWindows(process)) {
        if (descendant(window, controlId) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

Exe::~Exe() {
    if (running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Exe::running() const {
    return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

int Exe::rowCount(HWND list) const {
    return sendNumber(list, LVM_GETITEMCOUNT);
}

std::wstring Exe::cell(HWND list, int row, int column) const {
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

bool Exe::listsRow(HWND list, const std::wstring& caption) const {
    return rowOf(list, caption) >= 0;
}

int Exe::rowOf(HWND list, const std::wstring& caption) const {
    const int rows = rowCount(list);
    for (int row = 0; row < rows; ++row) {
        if (cell(list, row, 0) == caption) {
            return row;
        }
    }
    return -1;
}

std::optional<RECT> Exe::rowRect(HWND list, int row) const {
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

void Exe::describe() const {
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

void writeSettings(const std::wstring& account, const std::wstring& password,
                   const std::wstring& host, const std::wstring& port, const std::wstring& taDir) {
    using testing::writeRawText;
    deleteSettings();
    std::wstring directory = taDir;
    if (!directory.ends_with(L'\\')) {
        directory += L'\\';
    }
    const std::string cipher = protocol::des::EncryptHex(inCodePage(936, password));
    const auto hu = RawHive::CurrentUser;
    writeRawText(hu, kOptions, L"usr", account);
    writeRawText(hu, kOptions, L"pwd", std::wstring(cipher.begin(), cipher.end()));
    writeRawText(hu, kOptions, L"autologin", L"0");  // "0" is on
    writeRawText(hu, kOptions, L"host", host);
    writeRawText(hu, kOptions, L"port", port);
    writeRawText(hu, kOptions, L"checkfile", L"1");  // no prompts about game directories
    writeRawText(hu, kOptions, L"TAdir", directory);
    writeRawText(hu, kOptions, L"vnntype", L"0");  // the "10.140." kind
}

void deleteSettings() {
    testing::deleteRawTree(RawHive::CurrentUser, kOurs);
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

// The edit control's own WM_CHAR handling inserts the characters; the exe's key hook sends
// the line at Enter.
void typeLine(HWND edit, const std::wstring& line) {
    for (const wchar_t ch : line) {
        PostMessageW(edit, WM_CHAR, ch, 1);
    }
    PostMessageW(edit, WM_CHAR, L'\r', 1);
}

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

std::optional<LobbyWindow> waitForLogIn(const Exe& exe, const std::wstring& account) {
    using std::chrono::seconds;
    LobbyWindow lobby;
    if (!step(
            exe, L"the lobby window shows",
            [&] {
                lobby.window = visibleWindowWith(exe.id(), IDC_MAIN_LVROOMS);
                return lobby.window != nullptr && textOr(lobby.window) == L"Ardentis";
            },
            seconds(40))) {
        return std::nullopt;
    }
    lobby.lvlobby = descendant(lobby.window, IDC_MAIN_LVLOBBY);
    lobby.lvrooms = descendant(lobby.window, IDC_MAIN_LVROOMS);
    lobby.memRecev = descendant(lobby.window, IDC_MAIN_MEMRECEV);
    lobby.memSend = descendant(lobby.window, IDC_MAIN_MEMSEND);
    lobby.connect = descendant(lobby.window, IDC_MAIN_BITBTN1);
    lobby.prompt = descendant(lobby.window, IDC_MAIN_PROMPT);
    lobby.quit = descendant(lobby.window, IDC_MAIN_BITBTN4);
    if (!step(
            exe, L"logged in automatically as " + account,
            [&] {
                return textOr(lobby.connect) == L"断开" &&
                       textOr(lobby.prompt) == L"用户:" + account + L" 位置:大厅";
            },
            seconds(20))) {
        return std::nullopt;
    }
    return lobby;
}

bool quit(const Exe& exe, const LobbyWindow& lobby) {
    PostMessageW(lobby.quit, BM_CLICK, 0, 0);
    if (!step(
            exe, L"the quit button ended the exe", [&] { return !exe.running(); },
            std::chrono::seconds(20))) {
        return false;
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(exe.handle(), &exitCode);
    if (exitCode != 0) {
        report(L"FAILED: the exe ended with status " + std::to_wstring(exitCode));
        return false;
    }
    return true;
}

std::wstring trafficLogPath(const std::wstring& exe) {
    return exe.substr(0, exe.find_last_of(L'\\') + 1) + L"ardentisclient.log";
}

bool logHolds(const std::string& log,
              const std::vector<std::pair<std::wstring, std::string>>& parts) {
    bool allThere = true;
    for (const auto& [what, bytes] : parts) {
        if (log.find(bytes) == std::string::npos) {
            report(L"FAILED: the traffic log lacks " + what);
            allThere = false;
        }
    }
    return allThere;
}

}  // namespace ardentis::e2e
