// A logged-in client fed whatever records a server (or another player, through it) sends:
// nothing escapes, the lists stay in step with the lobby's picture, and no record makes the
// client answer without end.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "platform/fake/manual_event_loop.h"
#include "platform/fake/scripted_socket.h"
#include "protocol/lobby_message.h"
#include "protocol/message_kind.h"
#include "tools/fuzz/fuzz_input.h"
#include "ui/forms/headless/headless_client.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardentis;
    using protocol::LobbyMessage;
    forms::HeadlessMachine machine("/dev/null");
    machine.installGame(text::Gbk("C:\\TA\\"));
    machine.setVirtualLanAddress(10, 140, 3, 4);
    machine.storeSettings(text::Gbk("player1"), text::Gbk("secret"), text::Gbk("127.0.0.1"), 8888,
                          true);
    platform::ScriptedSocket socket;
    platform::ScriptedSocket testSocket;
    platform::ManualEventLoop loop;
    forms::HeadlessClient headless(machine, socket, testSocket, loop);
    forms::Client& client = headless.client;
    client.start();
    loop.advance(std::chrono::milliseconds(2000));
    socket.completeConnect();
    LobbyMessage accepted{};
    accepted.setKind(protocol::command::kLogin, protocol::subcommand::kLoginOk);
    accepted.sparam1.set("player1");
    const auto acceptedBytes = accepted.toBytes();
    socket.feed(acceptedBytes);
    socket.raiseRead();

    fuzz::FuzzInput input(data, size);
    while (!input.empty()) {
        std::array<std::byte, protocol::kRecordSize> bytes{};
        const auto part = input.take(bytes.size());
        std::ranges::copy(part, bytes.begin());
        const std::size_t sentBefore = socket.sent().size();
        socket.feed(bytes);
        socket.raiseRead();
        loop.advance(std::chrono::milliseconds(input.byte() * 10));
        client.workers.waitAll();
        // A record is answered with a few records at most (a join, a state, a user record).
        fuzz::check(socket.sent().size() - sentBefore <= 8 * protocol::kRecordSize,
                    "one record made the client send without end");
        if (const auto connection = client.connection()) {
            const auto& users = connection->lobby.users;
            std::set<std::string> accounts;
            for (const auto& user : users) {
                fuzz::check(accounts.insert(std::string(user.account.view())).second,
                            "a user is listed twice");
            }
            fuzz::check(headless.main.lvlobby.rowCount() == static_cast<int>(users.size()),
                        "the user list and the lobby disagree");
            fuzz::check(headless.main.lvrooms.rowCount() ==
                            static_cast<int>(connection->lobby.rooms.size()),
                        "the room list and the lobby disagree");
        }
    }
    client.workers.waitAll();
    return 0;
}
