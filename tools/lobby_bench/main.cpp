// Feeds a headless client a big lobby as received records and prints what each part cost:
// 10,000 users and 2,000 rooms, then a burst of updates, moves and chat.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "lobby/room_columns.h"
#include "platform/fake/manual_event_loop.h"
#include "platform/fake/scripted_socket.h"
#include "protocol/codec.h"
#include "protocol/message_kind.h"
#include "text/literal.h"
#include "tools/lobby_bench/bench_rooms.h"
#include "ui/forms/headless/headless_client.h"

namespace {

using namespace ardentis;
using text::Gbk;
using Clock = std::chrono::steady_clock;

using bench::account;
using bench::kRooms;
using bench::kUpdates;
using bench::roomNumber;

constexpr int kUsers = 10000;
constexpr int kBurst = 20000;

protocol::LobbyMessage userUpdate(int i, const Gbk& location) {
    protocol::UserRecord user;
    user.account = account(i);
    user.nickname = Gbk("nick" + std::to_string(i));
    user.location = location;
    protocol::LobbyMessage message{};
    protocol::EncodeUser(user, message);
    message.setKind(protocol::command::kUser, protocol::subcommand::kUserUpdate);
    return message;
}

protocol::LobbyMessage roomUpdate(int i, int players) {
    protocol::LobbyMessage message{};
    protocol::EncodeRoom(bench::room(i, players), message);
    message.setKind(protocol::command::kRoom, protocol::subcommand::kRoomUpdate);
    return message;
}

protocol::LobbyMessage chat(int i) {
    protocol::LobbyMessage message{};
    message.setKind(protocol::command::kLobbyChat, 0);
    message.sparam1.set(account(i) + Gbk(">>hello from the bench"));
    return message;
}

struct Phase {
    const char* name;
    std::vector<protocol::LobbyMessage> records;
};

}  // namespace

int main() {
    const auto logFile = std::filesystem::temp_directory_path() / "ardentis-lobby-bench.log";
    std::filesystem::remove(logFile);
    forms::HeadlessMachine machine(logFile);
    machine.storeSettings(Gbk("bench"), Gbk("pw"), Gbk("127.0.0.1"), 8888, true);
    platform::ScriptedSocket socket;
    platform::ScriptedSocket testSocket;
    platform::ManualEventLoop loop;
    forms::HeadlessClient headless(machine, socket, testSocket, loop);
    headless.client.start();
    loop.advance(std::chrono::milliseconds(2000));
    socket.completeConnect();

    std::vector<Phase> phases;
    phases.push_back({"users", {}});
    for (int i = 0; i < kUsers; ++i) {
        phases.back().records.push_back(userUpdate(i, text::zh<"大厅">()));
    }
    phases.push_back({"rooms", {}});
    for (int i = 0; i < kRooms; ++i) {
        phases.back().records.push_back(roomUpdate(i, 1));
    }
    phases.push_back({"burst", {}});
    for (int i = 0; i < kBurst; ++i) {
        const int user = (i * 7919) % kUsers;
        switch (i % 4) {
            case 0:  // a user moves into a room, and back
                phases.back().records.push_back(userUpdate(user, roomNumber(user % kRooms)));
                break;
            case 1:
                phases.back().records.push_back(userUpdate(user, text::zh<"大厅">()));
                break;
            case 2:
                phases.back().records.push_back(roomUpdate(user % kRooms, 1 + i % 7));
                break;
            default:
                phases.back().records.push_back(chat(user));
                break;
        }
    }

    double lobbySeconds = 0;
    std::printf("%-8s %10s %12s %14s\n", "phase", "records", "total ms", "us/record");
    for (const Phase& phase : phases) {
        const auto start = Clock::now();
        for (const auto& record : phase.records) {
            socket.feed(record.toBytes());
            socket.raiseRead();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (std::string(phase.name) != "burst") {
            lobbySeconds += seconds;
        }
        std::printf("%-8s %10zu %12.1f %14.2f\n", phase.name, phase.records.size(), seconds * 1e3,
                    seconds * 1e6 / static_cast<double>(phase.records.size()));
    }
    std::printf(
        "whole lobby (%d users, %d rooms) applied in %.3f s; %d users and %d rooms listed\n",
        kUsers, kRooms, lobbySeconds, headless.main.lvlobby.rowCount(),
        headless.main.lvrooms.rowCount());

    // The user's order and filters on: each room update is timed alone, as the window thread
    // meets them (a hundred a second: each must end well before the next).
    headless.main.lvrooms.clickColumn(lobby::room_columns::kPlayers);  // 人数, then the other way
    headless.main.lvrooms.clickColumn(lobby::room_columns::kPlayers);
    headless.main.joinable.click();
    headless.main.roomSearch.setText(Gbk(bench::kSearch));
    std::vector<double> micros;
    for (int i = 0; i < kUpdates; ++i) {
        const auto record = roomUpdate(bench::updatedRoom(i), bench::updatedPlayers(i)).toBytes();
        const auto start = Clock::now();
        socket.feed(record);
        socket.raiseRead();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    const bench::Figures figures = bench::figures(std::move(micros));
    std::printf(
        "sorted by players, joinable only, search \"%s\": %d room updates, per update "
        "p50 %.1f us, p99 %.1f us, max %.1f us; %d rooms shown\n",
        bench::kSearch, kUpdates, figures.p50, figures.p99, figures.max,
        headless.main.lvrooms.rowCount());
    std::filesystem::remove(logFile);
    return 0;
}
