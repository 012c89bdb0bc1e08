// Times the room list's updates through the real list view: the lobby's arranged list over a
// SysListView32 with the lobby's columns, 2,000 rooms, sorted by players (most first), joinable
// rooms only and a search, then 6,000 room updates, each timed alone as the window thread meets
// it, and the repaint it leaves behind and the messages run after it (the list's own timer
// that repaints it after a burst among them) timed apart. The rooms and updates are the headless
// lobby bench's; its figures also count the record's decoding and the lobby model.
//
//   room_list_bench [--hidden] [--paced]
//     --hidden: the dialog stays hidden, so nothing paints
//     --paced: a hundred updates a second, as a busy server sends them (a minute), so that the
//              list's timer meets them as it would in the lobby
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "lobby/room_columns.h"
#include "text/literal.h"
#include "tools/lobby_bench/bench_rooms.h"
#include "ui/forms/arranged_list_view.h"
#include "ui/forms/room_finder.h"
#include "ui/win32/common_controls.h"
#include "ui/win32/dialog.h"
#include "ui/win32/win32_list_view.h"

namespace {

using namespace ardentis;
using text::Gbk;
using text::zh;
using Clock = std::chrono::steady_clock;

constexpr int kDialog = 100;     // IDD_ROOM_LIST
constexpr int kListView = 1001;  // IDC_ROOM_LIST

// The lobby window's room columns, widths in dialog units.
std::vector<win32::ListColumn> roomColumns() {
    return {{zh<"房号">(), 92},    {zh<"装态">(), 30}, {zh<"房间说明">(), 60},
            {zh<"MOD名称">(), 46}, {zh<"地图">(), 50}, {zh<"人数">(), 24},
            {zh<"密码">(), 24},    {zh<"房主">(), 40}, {zh<"虚拟网络">(), 40}};
}

// A room's row after its number, as the lobby writes it.
std::vector<Gbk> roomRow(const protocol::RoomRecord& room) {
    const Gbk count = Gbk(std::to_string(room.players) + "/" + std::to_string(room.maxplayers));
    return {zh<"讨论中">(), room.comment, room.modname, room.map,
            count,          Gbk(),        room.host,    Gbk("HAMACHI")};
}

void runPending() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

double microsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::vector<std::wstring_view> options(argv + 1, argv + argc);
    const bool hidden = std::ranges::find(options, L"--hidden") != options.end();
    const bool paced = std::ranges::find(options, L"--paced") != options.end();
    win32::initCommonControls();
    win32::Dialog dialog(kDialog);
    win32::Win32ListView shown(dialog, kListView, roomColumns());
    forms::ArrangedListView rooms(shown);
    if (!hidden) {
        ShowWindow(dialog.handle(), SW_SHOWNOACTIVATE);
    }
    runPending();

    auto start = Clock::now();
    for (int i = 0; i < bench::kRooms; ++i) {
        const protocol::RoomRecord room = bench::room(i, 1);
        rooms.addRow(room.roomno, roomRow(room));
    }
    const double fillMs = microsSince(start) / 1e3;
    forms::FinderChoices choices;
    choices.roomColumn = lobby::room_columns::kPlayers;
    choices.roomDescending = true;
    choices.joinableOnly = true;
    choices.roomSearch = Gbk(bench::kSearch);
    start = Clock::now();
    rooms.arrange(choices.roomColumn, choices.roomDescending, forms::roomFilter(choices));
    const double arrangeMs = microsSince(start) / 1e3;
    runPending();
    std::printf("%d rooms listed in %.1f ms; sorted and filtered in %.1f ms\n", bench::kRooms,
                fillMs, arrangeMs);

    std::vector<double> updates;
    std::vector<double> repaints;
    std::vector<double> messages;
    const auto due = Clock::now();
    for (int i = 0; i < bench::kUpdates; ++i) {
        if (paced) {
            std::this_thread::sleep_until(due + std::chrono::milliseconds(10) * i);
        }
        const int row = bench::updatedRoom(i);
        const std::vector<Gbk> columns = roomRow(bench::room(row, bench::updatedPlayers(i)));
        start = Clock::now();
        for (std::size_t column = 0; column < columns.size(); ++column) {
            rooms.setSubItem(row, static_cast<int>(column) + 1, columns[column]);
        }
        updates.push_back(microsSince(start));
        start = Clock::now();
        UpdateWindow(shown.handle());
        repaints.push_back(microsSince(start));
        start = Clock::now();
        runPending();
        messages.push_back(microsSince(start));
    }
    const auto print = [](const char* what, std::vector<double> micros) {
        const bench::Figures figures = bench::figures(std::move(micros));
        std::printf("%-8s p50 %8.1f us, p99 %8.1f us, max %8.1f us\n", what, figures.p50,
                    figures.p99, figures.max);
    };
    std::printf(
        "sorted by players, joinable only, search \"%s\": %d room updates%s through the real "
        "list view; %d rooms shown\n",
        bench::kSearch, bench::kUpdates, paced ? ", a hundred a second," : "", shown.rowCount());
    print("update", std::move(updates));
    print("repaint", std::move(repaints));
    print("messages", std::move(messages));
    return 0;
}
