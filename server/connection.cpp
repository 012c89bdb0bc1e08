#include "server/connection.h"

#include <exception>
#include <utility>

#include "protocol/des.h"
#include "protocol/message_kind.h"
#include "server/log.h"
#include "server/outgoing.h"
#include "server/resume_token.h"

namespace ardentis::server {
namespace {

namespace cmd = protocol::command;
namespace sub = protocol::subcommand;

bool isChat(const protocol::LobbyMessage& message) {
    return message.command == cmd::kLobbyChat ||
           (message.command == cmd::kRoom && message.signedSubcommand() == sub::kRoomChat);
}

}  // namespace

Connection::Connection(const ServerOptions& options, Lobby& lobby, Clock::time_point now)
    : options_(options),
      lobby_(lobby),
      chatFlood_(options.chatRate, options.chatBurst, now),
      recordFlood_(options.recordRate, options.recordBurst, now) {}

void Connection::identify(std::string address, std::string peerName) {
    address_ = std::move(address);
    peerName_ = std::move(peerName);
}

std::string Connection::who() const {
    return account_.empty() ? peerName_ : log::text(account_) + " (" + peerName_ + ")";
}

void Connection::received(std::size_t count, Clock::time_point now) {
    reader_.commit(count, [this, now](const protocol::LobbyMessage& message) {
        return handleRecord(message, now);
    });
}

bool Connection::handleRecord(const protocol::LobbyMessage& message, Clock::time_point now) {
    try {
        switch (state_) {
            case State::AwaitingLogin:
                if (message.command == cmd::kLogin && message.signedSubcommand() == sub::kLogin) {
                    login(message);
                }
                break;
            case State::Checking:
                break;  // nothing counts before the answer
            case State::LoggedIn:
                if (admit(message, now)) {
                    lobby_.handle(*member_, message);
                }
                break;
            case State::Closed:
                return false;
        }
    } catch (const std::exception& failure) {
        close(std::string("record failed: ") + failure.what());
    }
    return state_ != State::Closed;
}

bool Connection::admit(const protocol::LobbyMessage& message, Clock::time_point now) {
    const bool allowed = recordFlood_.allow(now) && (!isChat(message) || chatFlood_.allow(now));
    if (!allowed && !floodLogged_) {
        log::line(who() + " flooding: records dropped");
    }
    floodLogged_ = !allowed;
    return allowed;
}

void Connection::login(const protocol::LobbyMessage& message) {
    account_ = std::string(message.sparam1.view());
    std::string password;
    try {
        password = protocol::des::DecryptHex(message.sparam2.view());
    } catch (const protocol::des::CipherError&) {
        log::line(who() + " log-in bad: password field is not hex");
        deliver(makeFrame(emptyMessage(cmd::kLogin, sub::kLoginBad)));
        return;
    }
    state_ = State::Checking;
    checkLogin({account_, std::move(password), resume_token::read(message)});
}

void Connection::loginAnswered(std::optional<LoginGrant> grant) {
    if (state_ != State::Checking) {
        return;
    }
    state_ = State::AwaitingLogin;
    if (!grant) {
        log::line(who() + " log-in bad");
        deliver(makeFrame(emptyMessage(cmd::kLogin, sub::kLoginBad)));
        return;
    }
    member_ = lobby_.enter(*this, grant->user, grant->token);
    if (member_ == nullptr) {
        log::line(who() + " log-in refused: already on line");
        deliver(makeFrame(emptyMessage(cmd::kLogin, sub::kLoginDup)));
        return;
    }
    state_ = State::LoggedIn;
    log::line(who() + (grant->resumed ? " logged in (resumed)" : " logged in"));
}

void Connection::deliver(const Frame& frame) {
    if (state_ == State::Closed || cut_) {
        return;
    }
    // Only records stuck behind an unfinished write count: a newcomer's lists, queued at
    // once before the first write, are not a sign of a slow reader.
    if (queue_.writing() && queue_.pending() >= options_.queueLimit) {
        cut_ = true;
        log::line(who() + " cut off: more than " + std::to_string(options_.queueLimit) +
                  " records waiting");
        closeSoon();
        return;
    }
    queue_.push(frame);
    if (!queue_.writing()) {
        flushSoon();
    }
}

void Connection::replaced() {
    member_ = nullptr;  // the user now belongs to the new connection
    close("replaced by a new log-in");
}

void Connection::close(std::string_view reason) {
    if (state_ == State::Closed) {
        return;
    }
    state_ = State::Closed;
    log::line(who() + " disconnected: " + log::plain(reason));
    if (member_ != nullptr) {
        Member* member = member_;
        member_ = nullptr;
        lobby_.leave(*member);
    }
    ended();
}

}  // namespace ardentis::server
