// The Windows side of the end-to-end test of Ardentis.exe, run under the same Wine server
// and X display as the exe: it writes the exe's settings into the registry, starts the
// exe, and then works it from outside the way a user would, through the exe's real
// windows: it reads the controls, types a chat line into the lobby's input box and double
// clicks the headless client's room. At the end it closes the exe with the lobby's quit
// button and reads the traffic log beside it. Before that the server is stopped (the
// script does it when the driver asks through the stop file) while the exe is in the room. Each
// step is printed; the first one that does not come within its limit fails the run (status 1).
//
// Arguments, each NAME=VALUE: exe (a copy of Ardentis.exe in a directory of its own),
// host, port, account, password, tadir (a directory holding totala.exe), lan (the
// virtual-LAN address list for the exe), peer (the headless client's account), say (a
// chat line), hear (the peer's whole line as it arrives), stopfile (made when the server
// is to be stopped).
#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/resource.h"
#include "tests/app_e2e/exe_remote.h"

namespace {

using namespace ardentis::e2e;

int drive(std::map<std::wstring, std::wstring>& named) {
    using std::chrono::seconds;
    const std::wstring account = named[L"account"];
    const std::wstring peer = named[L"peer"];
    const std::wstring exePath = named[L"exe"];
    const std::wstring logPath = trafficLogPath(exePath);
    DeleteFileW(logPath.c_str());

    writeSettings(account, named[L"password"], named[L"host"], named[L"port"], named[L"tadir"]);
    report(L"settings written for " + account + L" at " + named[L"host"] + L":" + named[L"port"]);
    const auto started = startExe(exePath, named[L"lan"]);
    if (!started) {
        return 1;
    }
    Exe exe(*started);

    const auto lobby = waitForLogIn(exe, account);
    if (!lobby) {
        return 1;
    }
    HWND lvlobby = lobby->lvlobby;
    HWND lvrooms = lobby->lvrooms;
    HWND memRecev = lobby->memRecev;
    HWND memSend = lobby->memSend;

    if (!step(
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

    // The server goes away while the exe's user is in the room: leaving the room then must
    // not offer a new one while nobody is logged in.
    const std::wstring stopFile = named[L"stopfile"];
    CloseHandle(CreateFileW(stopFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!step(
            exe, L"the lobby shows the connection lost",
            [&] { return textOr(lobby->connect) == L"连接"; }, seconds(20))) {
        return 1;
    }
    PostMessageW(descendant(room, IDC_ROOM_BITBTN3), BM_CLICK, 0, 0);  // 退出
    if (!step(
            exe, L"退出 closed the battle room", [&] { return IsWindowVisible(room) == FALSE; },
            seconds(20))) {
        return 1;
    }
    if (IsWindowEnabled(descendant(lobby->window, IDC_MAIN_BITBTN2)) != FALSE) {
        report(L"FAILED: 指挥室 is enabled while nobody is logged in");
        return 1;
    }
    report(L"指挥室 stays disabled after the connection ended");

    if (!quit(exe, *lobby)) {
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
    const bool allThere = logHolds(log, records);
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
    if (!hasArguments(named, {L"exe", L"host", L"port", L"account", L"password", L"tadir", L"lan",
                              L"peer", L"say", L"hear", L"stopfile"})) {
        return 2;
    }
    const int status = drive(named);
    deleteSettings();
    return status;
}
