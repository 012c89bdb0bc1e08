#include "tools/loadgen/load_run.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "protocol/codec.h"
#include "protocol/message_kind.h"

namespace ardentis::loadgen {
namespace {

namespace cmd = protocol::command;
namespace sub = protocol::subcommand;
constexpr auto kTick = std::chrono::milliseconds(2);
constexpr auto kDrain = std::chrono::seconds(2);

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

LoadRun::LoadRun(asio::io_context& io, LoadOptions options, asio::ip::tcp::endpoint server)
    : io_(io),
      options_(std::move(options)),
      server_(std::move(server)),
      timer_(io),
      setupLimit_(io) {}

std::int64_t LoadRun::nowNs() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - origin_).count();
}

void LoadRun::start() {
    setupLimit_.expires_after(options_.setupLimit);
    setupLimit_.async_wait([this](const std::error_code& error) {
        if (!error && !setupDone_) {
            std::printf("setup not done within %lld s: %zu of %zu logged in, %zu seated\n",
                        static_cast<long long>(options_.setupLimit.count()), loggedIn_,
                        options_.clients, seated_);
            failed_ = true;
            finish();
        }
    });
    clients_.reserve(options_.clients);
    connectMore();
}

void LoadRun::connectMore() {
    while (loggingIn_ < options_.concurrentLogins && started_ < options_.clients) {
        const std::size_t index = started_++;
        auto client = std::make_shared<LobbyClient>(io_, index,
                                                    options_.prefix + std::to_string(index), *this);
        if (options_.tls) {
            client->useTls(tls_);
        }
        clients_.push_back(client);
        ++loggingIn_;
        client->connect(server_, options_.password);
    }
}

void LoadRun::onClosed(LobbyClient& client) {
    if (client.closedHere()) {
        return;  // the run's own doing, counted where it was done
    }
    if (!client.loggedIn) {
        --loggingIn_;
        ++refused_;
        failed_ = true;
        std::printf("client %s could not log in\n", client.account().c_str());
        connectMore();
    } else {
        ++lost_;
    }
}

void LoadRun::onRecord(LobbyClient& client, const protocol::LobbyMessage& message) {
    const std::int8_t kind = message.signedSubcommand();
    if (message.command == cmd::kLobbyChat ||
        (message.command == cmd::kRoom && kind == sub::kRoomChat)) {
        timed(message);
    } else if (message.command == cmd::kLogin && !client.loggedIn) {
        --loggingIn_;
        if (kind != sub::kLoginOk) {
            ++refused_;
            failed_ = true;
            client.close();
        } else {
            client.loggedIn = true;
            ++loggedIn_;
        }
        if (loggedIn_ + refused_ == options_.clients) {
            seat();
        } else {
            connectMore();
        }
    } else if (message.command == cmd::kRoom && kind == sub::kRoomUpdate && !client.seated &&
               !client.roomno.empty() && message.sparam3.view() == client.roomno &&
               message.sparam9.view() == client.account()) {
        client.seated = true;
        ++seated_;
        if (++hostsReady_ == (options_.clients + options_.roomSize - 1) / options_.roomSize) {
            for (const auto& joiner : clients_) {
                if (joiner->index() % options_.roomSize != 0) {
                    protocol::LobbyMessage join{};
                    join.setKind(cmd::kRoom, sub::kRoomJoin);
                    join.sparam1.set(joiner->roomno);
                    join.sparam2.set(joiner->account());
                    joiner->send(join);
                }
            }
        }
        if (seated_ == loggedIn_) {
            measure();
        }
    } else if (message.command == cmd::kRoom && kind == sub::kRoomEnter &&
               message.sparam1.view() == client.account() && !client.seated) {
        client.seated = true;
        if (++seated_ == loggedIn_) {
            measure();
        }
    }
}

void LoadRun::seat() {
    setupSeconds_ = loginSeconds_ = seconds(Clock::now() - origin_);
    if (options_.roomSize == 0) {
        seated_ = loggedIn_;
        measure();
        return;
    }
    for (const auto& client : clients_) {
        client->roomno = "r" + std::to_string(client->index() / options_.roomSize);
        if (client->index() % options_.roomSize == 0) {
            protocol::RoomRecord room;
            room.roomno = text::Gbk(client->roomno);
            room.host = text::Gbk(client->account());
            room.status = text::Gbk("0");
            room.map = text::Gbk("load");
            room.maxplayers = static_cast<std::int8_t>(options_.roomSize);
            protocol::LobbyMessage update{};
            protocol::EncodeRoom(room, update);
            update.setKind(cmd::kRoom, sub::kRoomUpdate);
            client->send(update);
        }
    }
}

void LoadRun::measure() {
    setupDone_ = true;
    setupLimit_.cancel();
    setupSeconds_ = seconds(Clock::now() - origin_);
    // A moment for the lists and announcements of the set-up to drain first.
    timer_.expires_after(std::chrono::seconds(1));
    timer_.async_wait([this](const std::error_code& error) {
        if (error) {
            return;
        }
        measureStart_ = Clock::now();
        measureEnd_ = measureStart_ + options_.duration;
        measuring_ = true;
        tick();
    });
}

protocol::LobbyMessage LoadRun::chatFrom(const LobbyClient& client) const {
    protocol::LobbyMessage chat{};
    const std::string line = client.account() + ">>T" + std::to_string(nowNs());
    chat.sparam1.set(line);
    if (options_.roomSize == 0) {
        chat.setKind(cmd::kLobbyChat, sub::kLobbyChat);
    } else {
        chat.setKind(cmd::kRoom, sub::kRoomChat);
        chat.sparam2.set(client.roomno);
        chat.sparam3.set(client.account());
    }
    return chat;
}

void LoadRun::tick() {
    const auto now = Clock::now();
    if (now >= measureEnd_) {
        measuring_ = false;
        timer_.expires_after(kDrain);
        timer_.async_wait([this](const std::error_code& error) {
            if (!error) {
                finish();
            }
        });
        return;
    }
    const double due =
        options_.rate * static_cast<double>(clients_.size()) * seconds(now - measureStart_);
    const std::size_t receivers = options_.roomSize == 0 ? loggedIn_ - lost_ : options_.roomSize;
    while (static_cast<double>(sent_) < due) {
        const auto& client = clients_[sendCursor_++ % clients_.size()];
        if (client->open()) {
            client->send(chatFrom(*client));
            expected_ += receivers;
        }
        ++sent_;
    }
    timer_.expires_at(now + kTick);
    timer_.async_wait([this](const std::error_code& error) {
        if (!error) {
            tick();
        }
    });
}

void LoadRun::timed(const protocol::LobbyMessage& message) {
    const std::string_view line = message.sparam1.view();
    const auto mark = line.find(">>T");
    if (mark == std::string_view::npos) {
        return;
    }
    std::int64_t sentAt = 0;
    const char* first = line.data() + mark + 3;
    if (std::from_chars(first, line.data() + line.size(), sentAt).ec != std::errc()) {
        return;
    }
    ++delivered_;
    const auto micros = (nowNs() - sentAt) / 1000;
    latency_.add(static_cast<std::uint32_t>(std::clamp<std::int64_t>(micros, 0, UINT32_MAX)));
}

void LoadRun::finish() {
    timer_.cancel();
    setupLimit_.cancel();
    for (const auto& client : clients_) {
        client->close();
    }
    io_.stop();
}

bool LoadRun::report() {
    const double window = seconds(options_.duration);
    const std::size_t held = loggedIn_ - lost_;
    std::printf("clients: %zu of %zu logged in, %zu held to the end, %zu lost, %zu refused\n",
                loggedIn_, options_.clients, held, lost_, refused_);
    std::printf("log-ins: %zu in %.2f s (%.0f/s)\n", loggedIn_, loginSeconds_,
                static_cast<double>(loggedIn_) / std::max(loginSeconds_, 1e-3));
    std::printf("setup: %.1f s (log-ins and seating, %s)\n", setupSeconds_,
                options_.roomSize == 0 ? "all in the lobby"
                                       : ("rooms of " + std::to_string(options_.roomSize)).c_str());
    std::printf("sent: %llu records in %.0f s (%.0f/s)\n", static_cast<unsigned long long>(sent_),
                window, static_cast<double>(sent_) / window);
    std::printf("delivered: %llu of %llu expected, %.0f records/s\n",
                static_cast<unsigned long long>(delivered_),
                static_cast<unsigned long long>(expected_),
                static_cast<double>(delivered_) / window);
    std::printf("latency send to receipt: p50 %.2f ms, p99 %.2f ms, p99.9 %.2f ms, max %.2f ms\n",
                latency_.percentile(50) / 1000.0, latency_.percentile(99) / 1000.0,
                latency_.percentile(99.9) / 1000.0, latency_.percentile(100) / 1000.0);
    return !failed_ && lost_ == 0 && delivered_ == expected_;
}

}  // namespace ardentis::loadgen
