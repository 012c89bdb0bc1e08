// Several peers sending whatever bytes they like, cut anywhere, into the server's connections
// and through them its lobby, their log-ins answered and their writes finished whenever the
// input says, a user taken over by a second log-in and the seats of dropped members held a while:
// nobody gets a password, nobody outside a room gets its records, no queue passes its bound
// behind a write, no room outlives its people.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "protocol/lobby_message.h"
#include "protocol/message_kind.h"
#include "protocol/user_record.h"
#include "server/connection.h"
#include "server/frame.h"
#include "server/lobby.h"
#include "server/options.h"
#include "server/resume_token.h"
#include "tools/fuzz/fuzz_input.h"

namespace ardentis::fuzz {
namespace {

namespace cmd = protocol::command;
namespace sub = protocol::subcommand;

class FuzzConnection;
// Whose bytes, log-in or leaving the lobby is handling while records are delivered.
const FuzzConnection* sender = nullptr;

bool roomScoped(const protocol::LobbyMessage& message) {
    if (message.command != cmd::kRoom) {
        return false;
    }
    const std::int8_t kind = message.signedSubcommand();
    return kind == sub::kRoomChat || kind == sub::kRoomOptions || kind == sub::kPlayerState ||
           kind == sub::kGameStart;
}

// A connection whose socket is the fuzzer: it reads what the input gives, its writes take
// as long as the input says, and its log-in checks are answered when the input says.
class FuzzConnection final : public server::Connection {
  public:
    using Connection::Connection;

    std::optional<std::string> checking;  // the account whose check is under way
    std::string token;                    // the one its log-ins are granted
    bool closeDue = false;

    void deliver(const server::Frame& frame) override {
        check(member() != nullptr || sender == this || leaving(),
              "a record reached a peer that is not on line");
        const auto message = protocol::LobbyMessage::fromBytes(*frame);
        if (message->command == cmd::kLogin || message->command == cmd::kUser) {
            check(message->sparam2.view().empty(), "a user record carried a password");
        }
        if (message->command == cmd::kLogin && message->signedSubcommand() == sub::kLoginOk) {
            check(sender == this && server::resume_token::read(*message) == token,
                  "a LoginOk went to another or without its log-in's token");
        }
        if (roomScoped(*message) && sender != nullptr) {
            check(member() != nullptr && sender->member() != nullptr && member()->room != nullptr &&
                      member()->room == sender->member()->room && !member()->seatUnclaimed,
                  "a room's record reached someone outside the room");
        }
        Connection::deliver(frame);
        // Behind a write, a queue stays under its bound unless its reader took something lately,
        // and under sixteen times the bound in any case.
        const std::size_t waiting = queue().pending() * protocol::kRecordSize;
        check(closeDue || !queue().writing() ||
                  (waiting <= options.queueBytes * 16 &&
                   (waiting <= options.queueBytes || clock - lastProgress() < options.slowReader)),
              "a queue passed its bound behind a write");
    }

    void read(std::span<const std::byte> piece, Clock::time_point now) {
        const auto space = readSpace();
        const std::size_t count = std::min(piece.size(), space.size());
        std::copy_n(piece.begin(), count, space.begin());
        received(count, now);
    }

    void answer(bool good) {
        server::LoginGrant grant;
        grant.user.account = text::Gbk(checking.value_or(""));
        grant.user.nickname = grant.user.account;
        grant.user.password = text::Gbk("secret");  // the lobby must never pass it on
        grant.token = token;
        checking.reset();
        loginAnswered(good ? std::optional(grant) : std::nullopt);
    }

    // One write: the next batch starts, or the one under way ends.
    void write() {
        if (queue().writing()) {
            batchWritten(clock);
        } else if (queue().pending() > 0) {
            (void)queue().startBatch();
        }
    }

    static server::ServerOptions options;
    static Clock::time_point clock;  // the input's own time

  private:
    void checkLogin(server::LoginAttempt attempt) override {
        checking = std::move(attempt.account);
    }
    void flushSoon() override {}
    void closeSoon() override { closeDue = true; }
    void ended() override {}
    void lingerAtMost() override {}
    [[nodiscard]] Clock::time_point now() const override { return clock; }
};

FuzzConnection::Clock::time_point FuzzConnection::clock;

server::ServerOptions FuzzConnection::options = [] {
    server::ServerOptions options;
    options.queueBytes = 2 * protocol::kRecordSize;  // small, so that inputs reach it
    options.slowReader = std::chrono::milliseconds(50);
    options.recordBurst = 40;
    options.chatBurst = 4;
    return options;
}();

}  // namespace
}  // namespace ardentis::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardentis;
    using fuzz::FuzzConnection;
    fuzz::FuzzInput input(data, size);
    auto& now = FuzzConnection::clock;
    now = {};
    // Seats of dropped members wait a while of the input's own time.
    std::multimap<FuzzConnection::Clock::time_point, std::function<void()>> due;
    server::Lobby lobby([](std::string_view, std::string_view) {},
                        server::LobbyRules{.takeover = true, .seatGrace = std::chrono::seconds(1)},
                        [&](std::chrono::milliseconds delay, std::function<void()> work) {
                            due.emplace(now + delay, std::move(work));
                        });
    const auto runDue = [&](FuzzConnection::Clock::time_point until) {
        while (!due.empty() && due.begin()->first <= until) {
            auto work = std::move(due.begin()->second);
            due.erase(due.begin());
            work();
        }
    };
    std::vector<std::unique_ptr<FuzzConnection>> peers(2 + input.byte() % 3);
    std::size_t connections = 0;
    const auto connect = [&](std::size_t index) {
        peers[index] = std::make_unique<FuzzConnection>(FuzzConnection::options, lobby, now);
        // Every connection's own, or none (tokens off).
        const std::string serial = std::to_string(100000 + connections++);
        peers[index]->token =
            connections % 4 == 0 ? "" : std::string(32 - serial.size(), 'a') + serial;
    };
    const auto end = [&](std::size_t index, const char* reason) {
        fuzz::sender = peers[index].get();  // whatever the leaver is still sent, it drops
        peers[index]->close(reason);
        fuzz::sender = nullptr;
        fuzz::check(peers[index]->member() == nullptr, "a closed connection is still on line");
        peers[index].reset();
    };
    for (std::size_t i = 0; i < peers.size(); ++i) {
        connect(i);
    }

    while (!input.empty()) {
        const std::uint8_t op = input.byte();
        const std::size_t index = op % peers.size();
        auto& peer = peers[index];
        if (op >= 248) {  // the connection ends, or a new one comes
            if (peer) {
                end(index, "closed by peer");
            } else {
                connect(index);
            }
        } else if (peer && op >= 240) {  // the log-in check answers
            if (peer->checking) {
                fuzz::sender = peer.get();
                peer->answer((op & 8U) == 0);
                fuzz::sender = nullptr;
            }
        } else if (peer && op >= 232) {
            peer->write();
        } else if (peer) {  // the next piece of this peer's stream, as one read got it
            now += std::chrono::milliseconds(op);
            const auto piece = input.take(1 + input.byte() * 2U);
            fuzz::sender = peer.get();
            peer->read(piece, now);
            fuzz::sender = nullptr;
        }
        runDue(now);
        // A cut-off reader, a failed record and a user taken over by a new log-in close the
        // connection on the event loop.
        for (std::size_t i = 0; i < peers.size(); ++i) {
            if (peers[i] && (peers[i]->closeDue || peers[i]->closed())) {
                end(i, "reader too slow");
            }
        }
        std::size_t online = 0;
        for (const auto& each : peers) {
            online += each && each->loggedIn() ? 1 : 0;
        }
        fuzz::check(lobby.online() == online + lobby.held(),
                    "the roster and the connections disagree");
        fuzz::check(lobby.rooms() <= lobby.online(), "a room outlived its host");
    }
    for (std::size_t i = 0; i < peers.size(); ++i) {
        if (peers[i]) {
            end(i, "closed by peer");
        }
    }
    runDue(FuzzConnection::Clock::time_point::max());
    fuzz::check(lobby.online() == 0 && lobby.rooms() == 0, "a user or a room outlived everyone");
    return 0;
}
