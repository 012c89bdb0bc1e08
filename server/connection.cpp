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
      recordFlood_(options.recordRate, options.recordBurst, now),
      lastProgress_(now) {}

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
            case State::Leaving:
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
    if (!allowed) {
        floodDropped();
    }
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
    pullLists();
}

void Connection::pullLists() {
    // A batch's worth at a time, once the last one is written: enough to keep the socket
    // busy, little enough that a lobby of thousands logging in at once does not hold every
    // list in memory at once. Taken only between writes, list records never wait behind one,
    // so they never count as a slow reader's.
    constexpr std::size_t kListBatch = 256;
    if (member_ == nullptr || member_->lists.done() || queue_.writing()) {
        return;
    }
    for (Frame& frame : lobby_.moreLists(*member_, kListBatch)) {
        queue_.push(std::move(frame));
    }
    if (!queue_.writing() && queue_.pending() > 0) {
        flushSoon();
    }
}

void Connection::batchWritten(Clock::time_point now) {
    queue_.finishBatch();
    lastProgress_ = now;
    if (state_ == State::LoggedIn) {
        pullLists();
    } else if (state_ == State::Leaving && queue_.pending() == 0) {
        close("replaced by a new log-in");
    }
}

void Connection::cutOff(const std::string& why) {
    cut_ = true;
    log::line(who() + " cut off: " + why);
    closeSoon();
}

void Connection::deliver(const Frame& frame) {
    if (state_ == State::Closed || cut_) {
        return;
    }
    // Only records stuck behind an unfinished write count, and only from a reader that has
    // taken nothing for a while: a burst every client gets at once is no sign of a slow one.
    if (queue_.writing()) {
        const std::size_t waiting = queue_.pending() * protocol::kRecordSize;
        constexpr std::size_t kHardFactor = 16;  // memory's own bound, however slowly it reads
        if (waiting >= options_.queueBytes * kHardFactor) {
            cutOff(std::to_string(waiting) + " bytes waiting");
            return;
        }
        if (waiting >= options_.queueBytes && now() - lastProgress_ >= options_.slowReader) {
            cutOff(std::to_string(waiting) + " bytes waiting, nothing taken for " +
                   std::to_string(
                       std::chrono::duration_cast<std::chrono::milliseconds>(now() - lastProgress_)
                           .count()) +
                   " ms");
            return;
        }
    }
    queue_.push(frame);
    if (!queue_.writing()) {
        flushSoon();
    }
}

void Connection::replaced() {
    member_ = nullptr;  // the user now belongs to the new connection
    log::line(who() + " taken over by a new log-in");
    // The client learns why, rather than seeing a bare close: a client that reconnects by itself
    // would otherwise take the user back, and two running copies would take turns forever.
    state_ = State::Leaving;
    deliver(makeFrame(emptyMessage(cmd::kLogin, sub::kLoginDup)));
    if (!queue_.writing() && queue_.pending() == 0) {
        close("replaced by a new log-in");
        return;
    }
    lingerAtMost();
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
