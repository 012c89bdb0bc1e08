// One player's side of a whole Total Annihilation game between two copies of Ardentis.exe,
// each under its own Wine server (so that each finds only its own game's window), with the
// simulated game installed as totala.exe in the player's game directory. The driver works
// the exe as a user would: the host makes a room and presses 开始 once the joiner is ready;
// the joiner enters the room and ticks 准备就绪. Then neither touches anything: the exes
// start the games, drive their menus and watch them end. The driver checks what each exe
// shows and writes on the way, and the game's own log. Each step is printed; the first
// that does not come within its limit fails the run (status 1).
//
// Arguments, each NAME=VALUE: role (host or joiner), exe (a copy of Ardentis.exe in a
// directory of its own), host, port (the lobby server), account, password, tadir (the
// directory holding the simulated totala.exe), lan (this player's virtual-LAN address),
// peer (the other player's account), hostlan (the host's virtual-LAN address).
#include <windows.h>

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/resource.h"
#include "tests/app_e2e/exe_remote.h"

namespace {

using namespace ardentis::e2e;
using std::chrono::seconds;

constexpr int kHostColumn = 7;   // the room list's host
constexpr int kStateColumn = 1;  // the room list's 讨论中 or 战斗中
constexpr int kMarkColumn = 2;   // the player list's ready mark

// The battle room window's controls that the drivers read and press.
struct RoomWindow {
    HWND window = nullptr;
    HWND lvRoom = nullptr;
    HWND memRecev = nullptr;
    HWND create = nullptr;  // 建立
    HWND start = nullptr;   // 开始
    HWND ready = nullptr;   // 准备就绪
    HWND leave = nullptr;   // 退出
};

RoomWindow roomWindowOf(HWND window) {
    return {window,
            descendant(window, IDC_ROOM_LVROOM),
            descendant(window, IDC_ROOM_MEMRECEV),
            descendant(window, IDC_ROOM_BITBTN1),
            descendant(window, IDC_ROOM_BITBTN2),
            descendant(window, IDC_ROOM_CHECKBOX1),
            descendant(window, IDC_ROOM_BITBTN3)};
}

bool enabled(HWND control) {
    return IsWindowEnabled(control) != FALSE;
}

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class Player {
  public:
    Player(std::map<std::wstring, std::wstring>& named, const Exe& exe, LobbyWindow lobby)
        : named_(named),
          exe_(exe),
          lobby_(lobby),
          account_(named[L"account"]),
          peer_(named[L"peer"]) {}

    bool host();
    bool join();
    // Both: the games' start notices, then both returns, then the room discussing again.
    bool playTheGame(bool hosting);
    bool leaveTheRoom();

  private:
    [[nodiscard]] std::wstring gameFile(const wchar_t* name) const {
        std::wstring directory = named_[L"tadir"];
        if (!directory.ends_with(L'\\')) {
            directory += L'\\';
        }
        return directory + name;
    }
    [[nodiscard]] bool roomChatHas(const std::wstring& line) const {
        return contains(textOr(room_.memRecev), line);
    }
    [[nodiscard]] std::wstring peersRoomState() const {
        const int rows = exe_.rowCount(lobby_.lvrooms);
        for (int row = 0; row < rows; ++row) {
            if (exe_.cell(lobby_.lvrooms, row, kHostColumn) == named_[L"hostaccount"]) {
                return exe_.cell(lobby_.lvrooms, row, kStateColumn);
            }
        }
        return L"";
    }
    [[nodiscard]] std::wstring markOf(const std::wstring& account) const {
        const int row = exe_.rowOf(room_.lvRoom, account);
        return row < 0 ? L"" : exe_.cell(room_.lvRoom, row, kMarkColumn);
    }
    bool waitForRoomWindow(const std::wstring& what) {
        return step(
            exe_, what,
            [&] {
                HWND window = visibleWindowWith(exe_.id(), IDC_ROOM_LVROOM);
                if (window == nullptr) {
                    return false;
                }
                room_ = roomWindowOf(window);
                return true;
            },
            seconds(20));
    }

    std::map<std::wstring, std::wstring>& named_;
    const Exe& exe_;
    LobbyWindow lobby_;
    RoomWindow room_;
    std::wstring account_;
    std::wstring peer_;
};

bool Player::host() {
    PostMessageW(descendant(lobby_.window, IDC_MAIN_BITBTN2), BM_CLICK, 0, 0);  // 创建
    if (!waitForRoomWindow(L"the battle room window opens for a new room")) {
        return false;
    }
    PostMessageW(room_.create, BM_CLICK, 0, 0);
    return step(
               exe_, L"the lobby lists the new room", [&] { return !peersRoomState().empty(); },
               seconds(20)) &&
           step(
               exe_, peer_ + L" has entered and is ready: 开始 is enabled",
               [&] {
                   return exe_.rowCount(room_.lvRoom) == 2 && markOf(peer_) == L"就绪" &&
                          enabled(room_.start);
               },
               seconds(60));
}

bool Player::join() {
    int row = -1;
    if (!step(
            exe_, L"the lobby lists " + peer_ + L"'s room",
            [&] {
                const int rows = exe_.rowCount(lobby_.lvrooms);
                for (row = 0; row < rows; ++row) {
                    if (exe_.cell(lobby_.lvrooms, row, kHostColumn) == peer_) {
                        return true;
                    }
                }
                return false;
            },
            seconds(60))) {
        return false;
    }
    const auto rect = exe_.rowRect(lobby_.lvrooms, row);
    if (!rect) {
        report(L"FAILED: no rectangle for the room's row");
        return false;
    }
    doubleClick(lobby_.lvrooms, POINT{rect->left + 8, (rect->top + rect->bottom) / 2});
    if (!waitForRoomWindow(L"the battle room window opens") ||
        !step(
            exe_, L"the battle room lists " + peer_ + L" and " + account_,
            [&] {
                return exe_.rowCount(room_.lvRoom) == 2 && exe_.listsRow(room_.lvRoom, peer_) &&
                       exe_.listsRow(room_.lvRoom, account_);
            },
            seconds(20))) {
        return false;
    }
    PostMessageW(room_.ready, BM_CLICK, 0, 0);
    return step(
        exe_, account_ + L" shows ready", [&] { return markOf(account_) == L"就绪"; }, seconds(20));
}

bool Player::playTheGame(bool hosting) {
    const std::wstring notice = L"作战指挥室>>";
    const std::wstring hostAccount = hosting ? account_ : peer_;
    const std::wstring joinerAccount = hosting ? peer_ : account_;
    if (hosting) {
        // The start waits for the game's window on the window thread: post, don't send.
        PostMessageW(room_.start, BM_CLICK, 0, 0);
    }
    if (!step(
            exe_, L"the room hears that " + hostAccount + L" enters the battle",
            [&] { return roomChatHas(notice + hostAccount + L"开始进入战场，请稍候．"); },
            seconds(40)) ||
        !step(
            exe_, L"the lobby shows the room in battle",
            [&] { return peersRoomState() == L"战斗中"; }, seconds(20)) ||
        !step(
            exe_, L"the room hears that " + joinerAccount + L" enters the battle",
            [&] { return roomChatHas(notice + joinerAccount + L"开始进入战场，请稍候．"); },
            seconds(40))) {
        return false;
    }
    if (!hosting) {
        // The start record carried the host's address into this player's launch file.
        const std::string launchFile = fileBytes(gameFile(L"tmpclient.ini"));
        const std::string address = "address=" + inCodePage(936, named_[L"hostlan"]) + "\r\n";
        if (launchFile.find(address) == std::string::npos) {
            report(L"FAILED: tmpclient.ini lacks address=" + named_[L"hostlan"]);
            return false;
        }
        report(L"tmpclient.ini carries address=" + named_[L"hostlan"]);
    }
    if (!step(
            exe_, L"the room hears that " + joinerAccount + L" has returned",
            [&] { return roomChatHas(notice + joinerAccount + L"从战斗中返回。"); }, seconds(60)) ||
        !step(
            exe_, L"the room hears that " + hostAccount + L" has returned",
            [&] { return roomChatHas(notice + hostAccount + L"从战斗中返回。"); }, seconds(60)) ||
        !step(
            exe_, L"the lobby shows the room discussing again",
            [&] { return peersRoomState() == L"讨论中"; }, seconds(20))) {
        return false;
    }
    if (!hosting && !step(
                        exe_, L"the ready box is unticked and can be ticked again",
                        [&] {
                            return enabled(room_.ready) &&
                                   sendNumber(room_.ready, BM_GETCHECK) == BST_UNCHECKED &&
                                   markOf(account_) == L"等待";
                        },
                        seconds(20))) {
        return false;
    }

    // The simulated game's own account of what happened to it.
    const std::string game = fileBytes(gameFile(L"simgame.log"));
    const std::string started = "start host=" + std::string(hosting ? "1" : "0") +
                                " player=" + inCodePage(936, account_) +
                                (hosting ? "" : " address=" + inCodePage(936, named_[L"hostlan"]));
    const std::vector<std::pair<std::wstring, std::string>> moves{
        {L"its start", started},
        {L"its battle room", "screen battleroom\n"},
        {L"its battle", "screen battle\n"},
        {L"its score screen", "screen score\n"},
        {L"its close", "closed\n"},
    };
    for (const auto& [what, line] : moves) {
        if (game.find(line) == std::string::npos) {
            report(L"FAILED: the game's log lacks " + what);
            return false;
        }
    }
    report(L"the game's log shows its start, battle room, battle, score screen and close");
    return true;
}

bool Player::leaveTheRoom() {
    PostMessageW(room_.leave, BM_CLICK, 0, 0);
    return step(
        exe_, L"the battle room window has closed",
        [&] { return IsWindowVisible(room_.window) == FALSE; }, seconds(20));
}

// A game left running by a failed run would hold the test's output open; end it.
void endLeftoverGame() {
    HWND game = FindWindowW(nullptr, L"Total Annihilation");
    if (game == nullptr) {
        return;
    }
    DWORD id = 0;
    GetWindowThreadProcessId(game, &id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process != nullptr) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    report(L"ended a game that was still running");
}

int drive(std::map<std::wstring, std::wstring>& named) {
    const bool hosting = named[L"role"] == L"host";
    const std::wstring account = named[L"account"];
    named[L"hostaccount"] = hosting ? account : named[L"peer"];
    const std::wstring exePath = named[L"exe"];
    const std::wstring logPath = trafficLogPath(exePath);
    DeleteFileW(logPath.c_str());

    writeSettings(account, named[L"password"], named[L"host"], named[L"port"], named[L"tadir"]);
    const auto started = startExe(exePath, named[L"lan"]);
    if (!started) {
        return 1;
    }
    Exe exe(*started);
    const auto lobby = waitForLogIn(exe, account);
    if (!lobby) {
        return 1;
    }
    Player player(named, exe, *lobby);
    if (!(hosting ? player.host() : player.join()) || !player.playTheGame(hosting) ||
        !player.leaveTheRoom() || !quit(exe, *lobby)) {
        return 1;
    }

    const std::string log = fileBytes(logPath);
    std::vector<std::pair<std::wstring, std::string>> parts{
        {L"the automation's battle room", "run TA in Menuindex:6\r\n"},
        {L"the automation's score screen", "run TA in Menuindex:8\r\n"},
    };
    if (hosting) {
        parts.emplace_back(L"the start record sent", " Send 4:20 ");
    } else {
        parts.emplace_back(L"the start record received", " Recv 4:20 ");
    }
    if (!logHolds(log, parts)) {
        return 1;
    }
    const int starts = occurrences(log, hosting ? " Send 4:20 " : " Recv 4:20 ");
    if (starts != 1 || (!hosting && occurrences(log, " Send 4:20 ") != 0)) {
        report(L"FAILED: " + std::to_wstring(starts) + L" start records instead of one");
        return 1;
    }
    report(L"the traffic log holds one start record and the automation's menus");
    return 0;
}

}  // namespace

int main() {
    auto named = namedArguments();
    if (!hasArguments(named, {L"role", L"exe", L"host", L"port", L"account", L"password", L"tadir",
                              L"lan", L"peer", L"hostlan"})) {
        return 2;
    }
    setReportName(named[L"role"]);
    const int status = drive(named);
    endLeftoverGame();
    deleteSettings();
    return status;
}
