#include "tools/soak/soak_run.h"

#include <algorithm>
#include <asio/post.hpp>
#include <cstdio>

#include "protocol/codec.h"
#include "protocol/message_kind.h"

namespace ardentis::tools {
namespace {

namespace cmd = protocol::command;
namespace sub = protocol::subcommand;
using namespace std::chrono_literals;

constexpr auto kTick = 20ms;
constexpr std::size_t kStayers = 5;
constexpr const char* kPassword = "soak";
constexpr const char* kEndLine = "soak-observer>>end";
constexpr std::array<const char*, kFaultKinds> kFaultNames = {
    "cut mid-record", "stopped reading",   "burst over the limits",
    "garbage record", "reconnect at once", "a second session"};

protocol::LobbyMessage message(std::uint8_t command, std::int8_t subcommand,
                               const std::vector<std::string>& texts = {}) {
    protocol::LobbyMessage out{};
    out.setKind(command, subcommand);
    out.sparam1.set(!texts.empty() ? texts[0] : "");
    out.sparam2.set(texts.size() > 1 ? texts[1] : "");
    out.sparam3.set(texts.size() > 2 ? texts[2] : "");
    return out;
}

// The room a room-scoped record belongs to; empty for any other record.
std::string roomOf(const protocol::LobbyMessage& m) {
    if (m.command != cmd::kRoom) {
        return {};
    }
    switch (m.signedSubcommand()) {
        case sub::kRoomChat:
            return std::string(m.sparam2.view());
        case sub::kRoomOptions:
            return std::string(m.sparam3.view());
        case sub::kPlayerState:
        case sub::kGameStart:
            return std::string(m.sparam1.view());
        default:
            return {};
    }
}

}  // namespace

SoakRun::SoakRun(asio::io_context& io, SoakOptions options, asio::ip::tcp::endpoint server)
    : io_(io), options_(options), server_(std::move(server)), timer_(io), random_(options.seed) {}

void SoakRun::start() {
    const auto now = Clock::now();
    end_ = now + options_.duration;
    for (std::size_t i = 0; i < options_.clients; ++i) {
        clients_.push_back(
            std::make_shared<LobbyClient>(io_, i, "soak" + std::to_string(i), *this));
        clients_.back()->receiveBuffer = 16 * 1024;
        // Spread the first log-ins over two seconds.
        clients_.back()->nextAction = now + std::chrono::milliseconds(roll(2000));
    }
    tick();
}

void SoakRun::tick() {
    const auto now = Clock::now();
    if (now >= end_ && !settling_) {
        settle();
        return;
    }
    for (const auto& client : clients_) {
        if (client->nextAction <= now) {
            client->nextAction = now + std::chrono::milliseconds(200 + roll(2800));
            act(*client);
        }
    }
    timer_.expires_after(kTick);
    timer_.async_wait([this](const std::error_code& error) {
        if (!error) {
            tick();
        }
    });
}

void SoakRun::send(LobbyClient& client, const protocol::LobbyMessage& m) {
    client.send(m);
    ++sent_;
}

void SoakRun::act(LobbyClient& client) {
    if (!client.open()) {
        if (roll(2) == 0) {
            connectedAt_[&client] = Clock::now();
            client.connect(server_, kPassword);
        }
        return;
    }
    if (client.stalled()) {
        return;  // a user that stopped reading does nothing else either
    }
    if (!client.loggedIn) {
        if (Clock::now() - connectedAt_[&client] > 30s) {
            violation(client.account() + " got no answer to its log-in within 30 s");
            client.close();
        }
        return;
    }
    const std::string& me = client.account();
    const std::string line = me + ">>soak " + std::to_string(sent_);
    const int r = roll(100);
    if (r < 3) {
        inject(client);
    } else if (r < 7) {
        client.close();
    } else if (client.roomno.empty()) {
        const auto& rooms = roomsSeen_[&client];
        if (r < 45) {
            send(client, message(cmd::kLobbyChat, sub::kLobbyChat, {line}));
        } else if (r < 55) {
            protocol::RoomRecord room;
            client.roomno = me + "-" + std::to_string(roomsOpened_++);
            room.roomno = text::Gbk(client.roomno);
            room.host = text::Gbk(me);
            room.status = text::Gbk("0");
            room.map = text::Gbk("soak");
            room.maxplayers = 8;
            protocol::LobbyMessage open{};
            protocol::EncodeRoom(room, open);
            open.setKind(cmd::kRoom, sub::kRoomUpdate);
            client.roomsAsked.insert(client.roomno);
            send(client, open);
        } else if (r < 80 && !rooms.empty()) {
            auto it = rooms.begin();
            std::advance(it, roll(static_cast<int>(rooms.size())));
            client.roomno = *it;
            client.roomsAsked.insert(client.roomno);
            send(client, message(cmd::kRoom, sub::kRoomJoin, {client.roomno, me}));
        }
    } else if (r < 50) {
        send(client, message(cmd::kRoom, sub::kRoomChat, {line, client.roomno, me}));
    } else if (r < 62) {
        auto state = message(cmd::kRoom, sub::kPlayerState, {client.roomno, me});
        state.iparam1.set(roll(2));
        send(client, state);
    } else if (r < 66 && client.roomno.starts_with(me + "-")) {
        ++gamesStarted_;
        send(client, message(cmd::kRoom, sub::kGameStart, {client.roomno, "127.0.0.1", me}));
    } else if (r < 80) {
        send(client, message(cmd::kRoom, sub::kRoomLeave, {client.roomno, me}));
        client.roomno.clear();
    }
}

void SoakRun::inject(LobbyClient& client) {
    const auto fault = static_cast<std::size_t>(roll(kFaultKinds));
    ++faults_[fault];
    const auto chat = message(cmd::kLobbyChat, sub::kLobbyChat, {client.account() + ">>cut"});
    switch (static_cast<Fault>(fault)) {
        case Fault::CutMidRecord:
            client.cutAfter(chat, 1 + static_cast<std::size_t>(roll(protocol::kRecordSize - 1)));
            break;
        case Fault::StopReading:
            // Long enough to fill the kernel's buffers too, so that the server must cut it off.
            client.stall(std::chrono::milliseconds(60000 + roll(120000)));
            break;
        case Fault::Burst:
            for (int i = 0; i < 1500; ++i) {
                send(client, chat);
            }
            break;
        case Fault::Garbage: {
            std::vector<std::byte> bytes(protocol::kRecordSize);
            for (std::byte& b : bytes) {
                b = static_cast<std::byte>(roll(256));
            }
            client.sendBytes(std::move(bytes));
            ++sent_;
            break;
        }
        case Fault::Reconnect:
            client.close();
            connectedAt_[&client] = Clock::now();
            client.connect(server_, kPassword);
            break;
        case Fault::SecondSession: {
            auto second =
                std::make_shared<LobbyClient>(io_, client.index(), client.account(), *this);
            second->roomsAsked = client.roomsAsked;  // the same user, in the same rooms
            seconds_.insert(second);
            second->connect(server_, kPassword);
            break;
        }
    }
}

void SoakRun::onRecord(LobbyClient& client, const protocol::LobbyMessage& m) {
    ++received_;
    const std::int8_t kind = m.signedSubcommand();
    if ((m.command == cmd::kLogin || m.command == cmd::kUser) && !m.sparam2.view().empty()) {
        violation(client.account() + " received a password in a " + std::to_string(m.command) +
                  "," + std::to_string(kind) + " record");
    }
    if (const std::string room = roomOf(m); !room.empty() && !client.roomsAsked.contains(room)) {
        violation(client.account() + " received a record of room " + room +
                  ", which it never asked to enter");
    }
    if (m.command == cmd::kLogin && !client.loggedIn) {
        if (kind == sub::kLoginOk && isSecond(client)) {
            // The first connection, if still on line, has been taken over: the server ends it.
            const LobbyClient& first = *clients_[client.index()];
            if (first.loggedIn && !first.stalled()) {  // one not reading notices no end
                replaced_.emplace(&first, Clock::now());
            }
            ++takeovers_;
            client.close();
            return;
        }
        if (kind == sub::kLoginOk) {
            client.loggedIn = true;
            roomsSeen_[&client].clear();
            ++logins_;
            if (&client == observer_.get()) {
                send(client, message(cmd::kLobbyChat, sub::kLobbyChat, {kEndLine}));
            }
        } else {
            ++refusals_;
            client.close();
        }
        return;
    }
    auto& rooms = roomsSeen_[&client];
    if (m.command == cmd::kRoom && kind == sub::kRoomUpdate) {
        rooms.insert(std::string(m.sparam3.view()));
    } else if (m.command == cmd::kRoom && kind == sub::kRoomClosed) {
        rooms.erase(std::string(m.sparam3.view()));
        if (client.roomno == m.sparam3.view()) {
            client.roomno.clear();
        }
    }
    if (&client != observer_.get()) {
        return;
    }
    if (m.command == cmd::kUser && kind == sub::kUserUpdate) {
        ++observedUsers_[std::string(m.sparam1.view())];
    } else if (m.command == cmd::kUser) {
        observedUsers_.erase(std::string(m.sparam1.view()));
    } else if (m.command == cmd::kRoom && kind == sub::kRoomUpdate) {
        observedRooms_.insert(std::string(m.sparam3.view()));
    } else if (m.command == cmd::kRoom && kind == sub::kRoomClosed) {
        observedRooms_.erase(std::string(m.sparam3.view()));
    } else if (m.command == cmd::kLobbyChat && m.sparam1.view() == kEndLine) {
        evaluate();
        finish();
    }
}

bool SoakRun::isSecond(const LobbyClient& client) const {
    return std::ranges::any_of(seconds_, [&](const auto& each) { return each.get() == &client; });
}

void SoakRun::onClosed(LobbyClient& client) {
    if (isSecond(client)) {
        // Asio's handlers still hold it; it goes once they are done.
        asio::post(io_, [this, &client] {
            std::erase_if(seconds_, [&](const auto& each) { return each.get() == &client; });
        });
        return;
    }
    replaced_.erase(&client);
    if (client.loggedIn && !client.closedHere()) {
        ++cutOff_;
    }
    client.loggedIn = false;
    stayers_.erase(&client);  // a stayer the server cut off is gone too
}

// All but a few idle users in the lobby leave; a fresh user then looks at the lobby.
void SoakRun::settle() {
    settling_ = true;
    std::vector<LobbyClient*> leaving;
    for (const auto& client : clients_) {
        // Not one that ever stopped reading: the server may have cut it off unseen.
        if (stayers_.size() < kStayers && client->loggedIn && client->roomno.empty() &&
            !client->hasStalled()) {
            stayers_.insert(client.get());
        } else {
            leaving.push_back(client.get());
        }
    }
    for (LobbyClient* client : leaving) {
        client->close();
    }
    timer_.expires_after(3s);
    timer_.async_wait([this](const std::error_code& error) {
        if (!error) {
            observe();
        }
    });
}

void SoakRun::observe() {
    observer_ = std::make_shared<LobbyClient>(io_, clients_.size(), "soak-observer", *this);
    observer_->connect(server_, kPassword);
    timer_.expires_after(10s);
    timer_.async_wait([this](const std::error_code& error) {
        if (!error) {
            violation("the fresh user's view did not complete within 10 s");
            finish();
        }
    });
}

// The observer's lists up to its own chat line: what the server sends a user who logs in.
void SoakRun::evaluate() {
    for (const auto& [first, when] : replaced_) {
        if (Clock::now() - when > 5s) {
            violation(first->account() + "'s connection stayed open after a takeover");
        }
    }
    std::set<std::string> expected{observer_->account()};
    for (const LobbyClient* stayer : stayers_) {
        expected.insert(stayer->account());
    }
    for (const auto& [account, count] : observedUsers_) {
        if (count > 1) {
            violation(account + " is listed " + std::to_string(count) + " times");
        }
        if (!expected.contains(account)) {
            violation("a ghost user: " + account + " is listed though gone");
        }
    }
    for (const std::string& account : expected) {
        if (!observedUsers_.contains(account) && account != observer_->account()) {
            violation(account + " is on line but not listed");
        }
    }
    for (const std::string& room : observedRooms_) {
        violation("a ghost room: " + room + " is listed though everyone left");
    }
}

void SoakRun::finish() {
    finished_ = true;
    timer_.cancel();
    if (observer_) {
        observer_->close();
    }
    for (const auto& second : std::set(seconds_)) {
        second->close();
    }
    for (const auto& client : clients_) {
        client->close();
    }
    io_.stop();
}

void SoakRun::violation(const std::string& what) {
    if (++violations_ <= 20) {
        firstViolations_.push_back(what);
    }
}

bool SoakRun::report() const {
    std::printf("records: %llu sent, %llu received\n", static_cast<unsigned long long>(sent_),
                static_cast<unsigned long long>(received_));
    std::printf(
        "log-ins: %llu, refused %llu, takeovers %llu; connections the server ended: %llu\n",
        static_cast<unsigned long long>(logins_), static_cast<unsigned long long>(refusals_),
        static_cast<unsigned long long>(takeovers_), static_cast<unsigned long long>(cutOff_));
    std::printf("rooms opened: %llu, games started: %llu\n",
                static_cast<unsigned long long>(roomsOpened_),
                static_cast<unsigned long long>(gamesStarted_));
    std::printf("faults injected:");
    for (std::size_t i = 0; i < kFaultKinds; ++i) {
        std::printf("%s %s %llu", i == 0 ? "" : ",", kFaultNames[i],
                    static_cast<unsigned long long>(faults_[i]));
    }
    std::printf("\nviolations: %llu\n", static_cast<unsigned long long>(violations_));
    for (const std::string& what : firstViolations_) {
        std::printf("  %s\n", what.c_str());
    }
    return violations_ == 0 && finished_;
}

}  // namespace ardentis::tools
