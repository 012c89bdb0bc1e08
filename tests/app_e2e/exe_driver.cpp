// Works Ardentis.exe from another process under its Wine server as a user would: writes its
// settings into the registry, starts it, clicks its real controls and waits, within a limit, for
// what they show. Each step is printed; the first that does not come in time fails the run
// (status 1). role=session joins the headless peer's room, and with restart=FILE asks for a
// server restart by making FILE and sees the exe reconnect; role=host / role=joiner play a whole
// game with the simulated game as totala.exe. Arguments, each NAME=VALUE: role, exe, host, port,
// account, password, tadir, lan (the exe's virtual-LAN addresses; none: the machine's adapters),
// vnntype, peer (the other side's account), hostlan (game: the host's virtual-LAN address),
// address (vlan: the HAMACHI address of the machine's adapters). role=vlan hosts a game as
// role=host does, after checking what the lobby and the options page show of the adapters.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/resource.h"
#include "protocol/des.h"
#include "tests/support/scratch_directory.h"
#include "tests/win32/raw_registry.h"

namespace {

using namespace std::chrono_literals;
using ardentis::testing::RawHive;

std::map<std::wstring, std::wstring> arg;  // the NAME=VALUE arguments

std::string inCodePage(UINT codePage, const std::wstring& text) {
    std::string bytes(text.size() * 4, '\0');
    bytes.resize(static_cast<std::size_t>(
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                            static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes;
}

void report(const std::wstring& line) {
    std::fputs(inCodePage(CP_UTF8, arg[L"role"] + L": " + line + L"\n").c_str(), stdout);
    std::fflush(stdout);
}

// A message to the exe whose answer is a number; -1 when the exe does not answer in time, so that a
// hung exe fails the run instead of hanging it.
int sendNumber(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    const LRESULT answered =
        SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return answered == 0 ? -1 : static_cast<int>(result);
}

// WM_GETTEXT is copied across processes, while GetWindowText would give only a caption.
std::wstring textOf(HWND control) {
    std::wstring text(4096, L'\0');
    const int copied =
        sendNumber(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

// With a parent, the control with the id somewhere below it (tab pages are child dialogs); with
// none, the visible top-level window that holds that control (the first such window met, as
// parents come before their children; each exe has a Wine server of its own).
HWND descendant(HWND parent, int id) {
    std::tuple<int, bool, HWND> search{id, parent == nullptr, nullptr};
    EnumChildWindows(
        parent == nullptr ? GetDesktopWindow() : parent,
        [](HWND window, LPARAM data) -> BOOL {
            auto& [wanted, topLevel, found] = *reinterpret_cast<std::tuple<int, bool, HWND>*>(data);
            const bool hit =
                topLevel ? IsWindowVisible(window) != FALSE && descendant(window, wanted) != nullptr
                         : GetDlgCtrlID(window) == wanted;
            found = hit ? window : nullptr;
            return hit ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return std::get<2>(search);
}

void click(HWND parent, int id) {
    PostMessageW(descendant(parent, id), BM_CLICK, 0, 0);
}

// A visible message box with the button `id` whose texts hold every one of `parts`.
HWND messageBox(int id, const std::vector<std::wstring>& parts) {
    std::tuple<int, const std::vector<std::wstring>*, HWND> search{id, &parts, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& [button, wanted, found] =
                *reinterpret_cast<std::tuple<int, const std::vector<std::wstring>*, HWND>*>(data);
            if (IsWindowVisible(window) == FALSE || GetDlgItem(window, button) == nullptr) {
                return TRUE;
            }
            std::wstring texts;
            EnumChildWindows(
                window,
                [](HWND child, LPARAM sink) -> BOOL {
                    *reinterpret_cast<std::wstring*>(sink) += textOf(child);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&texts));
            const bool hit = std::ranges::all_of(
                *wanted, [&](const std::wstring& part) { return texts.find(part) != texts.npos; });
            found = hit ? window : nullptr;
            return hit ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return std::get<2>(search);
}

class Exe {
  public:
    explicit Exe(const std::wstring& path) {
        // Without lan, the machine's own adapters.
        std::wstring commandLine = L"\"" + path + L"\"";
        if (!arg[L"lan"].empty()) {
            commandLine += L" --lan-addresses=" + arg[L"lan"];
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        // A failed start shows as an exe that has ended.
        CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info_);
    }
    ~Exe() {
        TerminateProcess(info_.hProcess, 99);  // fails harmlessly once the exe has ended
        WaitForSingleObject(info_.hProcess, 5000);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    Exe(const Exe&) = delete;
    Exe& operator=(const Exe&) = delete;

    // STILL_ACTIVE while it runs.
    [[nodiscard]] DWORD exitCode() const {
        DWORD code = 1;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }
    // List view items live in the exe, so the texts are copied through its memory.
    [[nodiscard]] std::wstring cell(HWND list, int row, int column) const {
        struct Item {
            LVITEMW item;
            wchar_t text[512];
        } local{};
        auto* remote = static_cast<Item*>(VirtualAllocEx(info_.hProcess, nullptr, sizeof local,
                                                         MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        local.item.iSubItem = column;
        local.item.pszText = remote->text;
        local.item.cchTextMax = 512;
        const bool read =
            remote != nullptr &&
            WriteProcessMemory(info_.hProcess, remote, &local, sizeof local, nullptr) &&
            sendNumber(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(remote)) >= 0 &&
            ReadProcessMemory(info_.hProcess, remote, &local, sizeof local, nullptr);
        VirtualFreeEx(info_.hProcess, remote, 0, MEM_RELEASE);
        return read ? local.text : L"";
    }

  private:
    PROCESS_INFORMATION info_{};
};

struct Failed {};  // a step that did not come in time, already reported

// Polls `done` until it holds or `limit` passes; the exe ending early fails at once.
void step(const Exe& exe, std::chrono::seconds limit, const std::wstring& what,
          const std::function<bool()>& done) {
    for (const auto deadline = std::chrono::steady_clock::now() + limit; !done();
         std::this_thread::sleep_for(50ms)) {
        const bool ended = exe.exitCode() != STILL_ACTIVE;
        if ((ended || std::chrono::steady_clock::now() > deadline) && !done()) {
            report(L"FAILED: " + std::wstring(ended ? L"the exe ended" : L"timed out") +
                   L" waiting until " + what);
            throw Failed{};
        }
    }
    report(what);
}

// The exe's stored settings: the account with its password, the server, automatic log-in on ("0"),
// no questions about game directories, the Total Annihilation directory, VNN addresses.
void writeSettings(const std::wstring& taDir) {
    ardentis::testing::deleteRawTree(RawHive::CurrentUser, L"Software\\Morvane\\Ardentis");
    const std::string pwd = ardentis::protocol::des::EncryptHex(inCodePage(936, arg[L"password"]));
    for (const auto& [name, value] : std::map<std::wstring, std::wstring>{
             {L"usr", arg[L"account"]},
             {L"pwd", std::wstring(pwd.begin(), pwd.end())},
             {L"autologin", L"0"},
             {L"host", arg[L"host"]},
             {L"port", arg[L"port"]},
             {L"checkfile", L"1"},
             {L"TAdir", taDir},
             {L"vnntype", arg[L"vnntype"].empty() ? L"0" : arg[L"vnntype"]},
             {L"tls", arg[L"tlsport"].empty() ? L"0" : L"1"},
             {L"tlsport", arg[L"tlsport"]}}) {
        ardentis::testing::writeRawText(RawHive::CurrentUser,
                                        L"Software\\Morvane\\Ardentis\\options", name, value);
    }
}

// Under the run's own adapters (tap devices in a network namespace), with HAMACHI chosen: the lobby
// shows its address, the options page every adapter with the one in use marked, and 自动检测 finds
// each program the adapters give away.
void virtualLan(const Exe& exe, HWND lobby) {
    const std::wstring address = arg[L"address"];
    step(exe, 20s, L"the lobby's status shows HAMACHI at " + address,
         [&] { return textOf(descendant(lobby, IDC_MAIN_VNNSTATUS)) == L"HAMACHI: " + address; });
    click(lobby, IDC_MAIN_BITBTN3);  // 选项
    HWND options = nullptr;
    step(exe, 20s, L"the options window shows",
         [&] { return (options = descendant(nullptr, IDC_OPT_ADAPTERS)) != nullptr; });
    options = GetAncestor(options, GA_ROOT);  // the search may meet the page first
    const HWND list = descendant(options, IDC_OPT_ADAPTERS);
    const std::vector<std::wstring> expected{
        L"down0|25.1.1.1|未连接|", L"ham0|" + address + L"|已连接|√", L"rad0|26.1.2.3|已连接|",
        L"ZeroTier-One|10.147.17.5|已连接|", L"ts0|100.64.1.2|已连接|"};
    step(exe, 10s, L"the page lists every adapter with its address and state, ham0 in use", [&] {
        std::vector<std::wstring> rows;
        for (int row = 0; row < sendNumber(list, LVM_GETITEMCOUNT); ++row) {
            rows.push_back(exe.cell(list, row, 0) + L"|" + exe.cell(list, row, 1) + L"|" +
                           exe.cell(list, row, 2) + L"|" + exe.cell(list, row, 3));
        }
        return rows == expected;
    });
    click(options, IDC_OPT_VNNDETECT);
    step(exe, 10s, L"自动检测 finds HAMACHI, Radmin VPN, ZeroTier and Tailscale", [&] {
        return textOf(descendant(options, IDC_OPT_VNNFOUND)) ==
               L"找到：HAMACHI、Radmin VPN、ZeroTier、Tailscale";
    });
    click(options, IDC_OPT_BITBTN2);  // 取消
    step(exe, 10s, L"the options window closed", [&] { return IsWindowVisible(options) == FALSE; });
}

void drive() {
    const std::wstring account = arg[L"account"];
    const std::wstring peer = arg[L"peer"];
    const std::wstring taDir = arg[L"tadir"] + L"\\";
    writeSettings(taDir);
    Exe exe(arg[L"exe"]);

    HWND lobby = nullptr;
    step(exe, 40s, L"the lobby window shows",
         [&] { return (lobby = descendant(nullptr, IDC_MAIN_LVROOMS)) != nullptr; });
    const std::wstring fingerprint = arg[L"fingerprint"];
    if (!arg[L"tlsport"].empty()) {
        // Over TLS to a server whose certificate no authority signed: the user is asked once.
        HWND question = nullptr;
        step(exe, 40s, L"a box asks whether to trust the server's certificate " + fingerprint,
             [&] { return (question = messageBox(IDYES, {fingerprint})) != nullptr; });
        PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    }
    step(exe, 20s, L"logged in automatically as " + account, [&] {
        return textOf(descendant(lobby, IDC_MAIN_BITBTN1)) == L"断开" &&
               textOf(descendant(lobby, IDC_MAIN_PROMPT)) == L"用户:" + account + L" 位置:大厅";
    });
    step(exe, 60s, L"the lobby lists " + account + L" and " + peer,
         [&] { return sendNumber(descendant(lobby, IDC_MAIN_LVLOBBY), LVM_GETITEMCOUNT) == 2; });
    if (!arg[L"tlsport"].empty()) {
        const auto pinned = ardentis::testing::readRawValue(RawHive::CurrentUser,
                                                            L"Software\\Morvane\\Ardentis\\servers",
                                                            L"127.0.0.1:" + arg[L"tlsport"]);
        step(exe, 1s, L"the certificate accepted is kept for the server",
             [&] { return pinned && pinned->text == fingerprint; });
    }

    const bool onOwnAdapters = arg[L"role"] == L"vlan";
    if (onOwnAdapters) {
        virtualLan(exe, lobby);
    }
    const bool hosting = arg[L"role"] == L"host" || onOwnAdapters;
    HWND room = nullptr;
    if (hosting) {
        click(lobby, IDC_MAIN_BITBTN2);  // 创建
    } else {
        HWND lvrooms = descendant(lobby, IDC_MAIN_LVROOMS);
        step(exe, 60s, L"the lobby lists " + peer + L"'s room",
             [&] { return sendNumber(lvrooms, LVM_GETITEMCOUNT) == 1; });
        // A double click with the left button, as the mouse gives it, on the first row, just
        // below the list's header.
        RECT header{};
        GetWindowRect(GetWindow(lvrooms, GW_CHILD), &header);  // a report view's one child
        const LPARAM at = MAKELPARAM(8, header.bottom - header.top + 6);
        for (const UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
            PostMessageW(lvrooms, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        }
    }
    step(exe, 20s, L"the battle room window opens",
         [&] { return (room = descendant(nullptr, IDC_ROOM_LVROOM)) != nullptr; });
    HWND lvRoom = descendant(room, IDC_ROOM_LVROOM);
    if (hosting) {
        click(room, IDC_ROOM_BITBTN1);  // 建立
        // The host's list shows the joiner ready from his entry until his own state comes
        // (waiting, then ready once he ticks his box), and a click in between finds 开始
        // disabled and is lost: ready for a second and a half is the joiner's own ready.
        std::optional<std::chrono::steady_clock::time_point> readySince;
        step(exe, 60s, peer + L" has entered and is ready: 开始 is enabled", [&] {
            const bool ready = sendNumber(lvRoom, LVM_GETITEMCOUNT) == 2 &&
                               exe.cell(lvRoom, 1, 2) == L"就绪" &&
                               IsWindowEnabled(descendant(room, IDC_ROOM_BITBTN2)) != FALSE;
            const auto now = std::chrono::steady_clock::now();
            if (!ready) {
                readySince.reset();
            } else if (!readySince) {
                readySince = now;
            }
            return readySince && now - *readySince >= 1500ms;
        });
    } else {
        step(exe, 20s, L"the battle room lists " + peer + L" and " + account,
             [&] { return sendNumber(lvRoom, LVM_GETITEMCOUNT) == 2; });
    }
    if (arg[L"role"] != L"session") {
        // The host starts (post, don't send: the start waits for the game's window on the window
        // thread), the joiner is ready; then the exes start the games, drive their menus through
        // the games' real windows and see them end.
        click(room, hosting ? IDC_ROOM_BITBTN2 : IDC_ROOM_CHECKBOX1);
        // The headless joiner's game is a recording: only the exe's comes back.
        std::vector<std::wstring> returning{hosting ? peer : account, hosting ? account : peer};
        if (onOwnAdapters) {
            returning = {account};
        }
        for (const std::wstring& who : returning) {
            const std::wstring line = L"作战指挥室>>" + who + L"从战斗中返回。";
            step(exe, 60s, L"the room chat shows " + line, [&] {
                return textOf(descendant(room, IDC_ROOM_MEMRECEV)).find(line) != std::wstring::npos;
            });
        }
        // The game's own log: started with the launch file's role, player and host address.
        const std::string started = "start host=" + std::string(hosting ? "1" : "0") +
                                    " player=" + inCodePage(936, account) +
                                    (hosting ? "" : " address=" + inCodePage(936, arg[L"hostlan"]));
        step(exe, 20s, L"the game's log shows its start, its battle and its close", [&] {
            const std::string log = ardentis::testing::readFile(taDir + L"simgame.log");
            return log.find(started) != std::string::npos &&
                   log.find("screen battle\n") != std::string::npos &&
                   log.find("closed\n") != std::string::npos;
        });
    }
    click(room, IDC_ROOM_BITBTN3);  // 退出
    step(exe, 20s, L"退出 closed the battle room", [&] { return IsWindowVisible(room) == FALSE; });
    if (const std::wstring restart = arg[L"restart"]; !restart.empty()) {
        // The run restarts the server once this file is there; the exe comes back by itself.
        CloseHandle(CreateFileW(restart.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        const auto chatHas = [&](const std::wstring& line) {
            return textOf(descendant(lobby, IDC_MAIN_MEMRECEV)).find(line) != std::wstring::npos;
        };
        step(exe, 60s, L"the exe lost the server and came back to the lobby by itself", [&] {
            return chatHas(L"失去和服务器的联系,正在自动重新连接......") &&
                   chatHas(L"已重新连接到服务器。") &&
                   textOf(descendant(lobby, IDC_MAIN_PROMPT)) ==
                       L"用户:" + account + L" 位置:大厅" &&
                   sendNumber(descendant(lobby, IDC_MAIN_LVLOBBY), LVM_GETITEMCOUNT) >= 1;
        });
    }
    if (const std::wstring other = arg[L"other"]; !other.empty()) {
        // The server comes back with another certificate: refused, both named, no more tries.
        const std::wstring restart2 = arg[L"restart"] + L"2";
        CloseHandle(CreateFileW(restart2.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        HWND warning = nullptr;
        step(exe, 60s, L"a box warns that the server's certificate is no longer " + fingerprint,
             [&] {
                 return (warning = messageBox(IDOK, {fingerprint, other})) != nullptr;
             });
        PostMessageW(GetDlgItem(warning, IDOK), BM_CLICK, 0, 0);
        step(exe, 20s, L"the exe stopped trying: its button says 连接 again", [&] {
            return textOf(descendant(lobby, IDC_MAIN_BITBTN1)) == L"连接" &&
                   messageBox(IDOK, {fingerprint, other}) == nullptr;
        });
    }
    click(lobby, IDC_MAIN_BITBTN4);
    step(exe, 20s, L"the quit button ended the exe with status 0",
         [&] { return exe.exitCode() == 0; });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring word = argv[i];
        arg[word.substr(0, word.find(L'='))] = word.substr(word.find(L'=') + 1);
    }
    int status = 0;
    try {
        drive();
    } catch (const Failed&) {
        status = 1;
    }
    // A game left running by a failed run would hold the test's output open: end it.
    DWORD game = 0;
    GetWindowThreadProcessId(FindWindowW(nullptr, L"Total Annihilation"), &game);
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, game); process != nullptr) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
    ardentis::testing::deleteRawTree(RawHive::CurrentUser, L"Software\\Morvane\\Ardentis");
    return status;
}
