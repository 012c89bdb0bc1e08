#include "server/session.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <asio/post.hpp>
#include <asio/write.hpp>
#include <exception>
#include <utility>

#include "protocol/des.h"
#include "protocol/message_kind.h"
#include "server/log.h"
#include "server/outgoing.h"

namespace ardentis::server {
namespace {

namespace cmd = protocol::command;
namespace sub = protocol::subcommand;
using Clock = std::chrono::steady_clock;

bool isChat(const protocol::LobbyMessage& message) {
    return message.command == cmd::kLobbyChat ||
           (message.command == cmd::kRoom && message.signedSubcommand() == sub::kRoomChat);
}

void setIntOption(int fd, int level, int name, int value) {
    ::setsockopt(fd, level, name, &value, sizeof value);
}

}  // namespace

Session::Session(asio::ip::tcp::socket socket, Context& context)
    : socket_(std::move(socket)),
      loginTimer_(socket_.get_executor()),
      context_(context),
      chatFlood_(context.options.chatRate, context.options.chatBurst, Clock::now()),
      recordFlood_(context.options.recordRate, context.options.recordBurst, Clock::now()) {
    std::error_code error;
    const auto remote = socket_.remote_endpoint(error);
    if (!error) {
        address_ = remote.address().to_string();
        peerName_ = address_ + ":" + std::to_string(remote.port());
    } else {
        address_ = peerName_ = "unknown";
    }
}

void Session::configureSocket() {
    std::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    socket_.set_option(asio::socket_base::keep_alive(true), ignored);
    // Half-open peers go away after the idle time plus six probes ten seconds apart.
    const int fd = socket_.native_handle();
    setIntOption(fd, IPPROTO_TCP, TCP_KEEPIDLE,
                 static_cast<int>(context_.options.keepAliveIdle.count()));
    setIntOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, 10);
    setIntOption(fd, IPPROTO_TCP, TCP_KEEPCNT, 6);
}

void Session::start() {
    configureSocket();
    std::error_code ignored;
    socket_.non_blocking(true, ignored);
    log::line(peerName_ + " connected");
    loginTimer_.expires_after(context_.options.loginTimeout);
    loginTimer_.async_wait([self = shared_from_this()](const std::error_code& error) {
        if (!error && self->state_ != State::LoggedIn) {
            self->close("no log-in in time");
        }
    });
    read();
}

std::string Session::who() const {
    return account_.empty() ? peerName_ : log::text(account_) + " (" + peerName_ + ")";
}

void Session::read() {
    const auto space = reader_.space();
    socket_.async_read_some(
        asio::buffer(space.data(), space.size()),
        [self = shared_from_this()](const std::error_code& error, std::size_t count) {
            self->onRead(error, count);
        });
}

void Session::onRead(const std::error_code& error, std::size_t count) {
    if (state_ == State::Closed) {
        return;
    }
    if (error) {
        close(error == asio::error::eof ? "closed by peer" : "read: " + error.message());
        return;
    }
    reader_.commit(count,
                   [this](const protocol::LobbyMessage& message) { return handleRecord(message); });
    if (state_ != State::Closed) {
        read();
    }
}

bool Session::handleRecord(const protocol::LobbyMessage& message) {
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
                if (admit(message)) {
                    context_.lobby.handle(*member_, message);
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

bool Session::admit(const protocol::LobbyMessage& message) {
    const auto now = Clock::now();
    const bool allowed = recordFlood_.allow(now) && (!isChat(message) || chatFlood_.allow(now));
    if (!allowed && !floodLogged_) {
        log::line(who() + " flooding: records dropped");
    }
    floodLogged_ = !allowed;
    return allowed;
}

void Session::login(const protocol::LobbyMessage& message) {
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
    context_.login.check(account_, std::move(password), address_,
                         [weak = weak_from_this()](std::optional<protocol::UserRecord> user) {
                             if (auto self = weak.lock()) {
                                 self->onLogin(std::move(user));
                             }
                         });
}

void Session::onLogin(std::optional<protocol::UserRecord> user) {
    if (state_ != State::Checking) {
        return;
    }
    state_ = State::AwaitingLogin;
    if (!user) {
        log::line(who() + " log-in bad");
        deliver(makeFrame(emptyMessage(cmd::kLogin, sub::kLoginBad)));
        return;
    }
    member_ = context_.lobby.enter(*this, *user);
    if (member_ == nullptr) {
        log::line(who() + " log-in refused: already on line");
        deliver(makeFrame(emptyMessage(cmd::kLogin, sub::kLoginDup)));
        return;
    }
    state_ = State::LoggedIn;
    loginTimer_.cancel();
    log::line(who() + " logged in");
}

void Session::deliver(const Frame& frame) {
    if (state_ == State::Closed || cut_) {
        return;
    }
    // Only records stuck behind an unfinished write count: a newcomer's lists, queued at
    // once before the first write, are not a sign of a slow reader.
    if (queue_.writing() && queue_.pending() >= context_.options.queueLimit) {
        cutOff();
        return;
    }
    queue_.push(frame);
    scheduleFlush();
}

void Session::cutOff() {
    cut_ = true;
    log::line(who() + " cut off: more than " + std::to_string(context_.options.queueLimit) +
              " records waiting");
    // Not on the spot: the lobby may be walking its lists right now.
    asio::post(socket_.get_executor(),
               [self = shared_from_this()] { self->close("reader too slow"); });
}

void Session::scheduleFlush() {
    if (queue_.writing() || flushScheduled_) {
        return;
    }
    flushScheduled_ = true;
    context_.flushes.add(shared_from_this());
}

void Session::flush() {
    flushScheduled_ = false;
    if (state_ == State::Closed || queue_.writing() || queue_.pending() == 0) {
        return;
    }
    const auto& batch = queue_.startBatch();
    buffers_.clear();
    buffers_.reserve(batch.size());
    for (const Frame& frame : batch) {
        buffers_.emplace_back(frame->data(), frame->size());
    }
    // Most batches fit the socket's buffer: write them at once, with no operation to
    // complete later. Only what does not fit waits for the socket.
    std::size_t done = 0;
    while (done < buffers_.size()) {
        std::error_code error;
        std::size_t written =
            socket_.write_some(std::span<const asio::const_buffer>(buffers_).subspan(done), error);
        if (error == asio::error::would_block || error == asio::error::try_again) {
            break;
        }
        if (error) {
            finishBatch();
            close("write: " + error.message());
            return;
        }
        while (written > 0) {
            const std::size_t part = std::min(written, buffers_[done].size());
            buffers_[done] += part;
            written -= part;
            done += buffers_[done].size() == 0 ? 1 : 0;
        }
    }
    if (done == buffers_.size()) {
        finishBatch();
        return;
    }
    writeRest(done);
}

void Session::finishBatch() {
    queue_.finishBatch();
    // A newcomer's lists make one huge batch; thousands of idle connections must not
    // each keep room for one.
    constexpr std::size_t kKeptBuffers = 256;
    if (buffers_.capacity() > kKeptBuffers) {
        std::vector<asio::const_buffer>().swap(buffers_);
    }
}

void Session::writeRest(std::size_t written) {
    asio::async_write(socket_, std::span<const asio::const_buffer>(buffers_).subspan(written),
                      [self = shared_from_this()](const std::error_code& error, std::size_t) {
                          self->onWritten(error);
                      });
}

void Session::onWritten(const std::error_code& error) {
    finishBatch();
    if (state_ == State::Closed) {
        return;
    }
    if (error) {
        close("write: " + error.message());
        return;
    }
    flush();
}

void Session::close(std::string_view reason) {
    if (state_ == State::Closed) {
        return;
    }
    const auto self = shared_from_this();  // the registry may hold the last reference
    state_ = State::Closed;
    log::line(who() + " disconnected: " + log::plain(reason));
    if (member_ != nullptr) {
        Member* member = member_;
        member_ = nullptr;
        context_.lobby.leave(*member);
    }
    std::error_code ignored;
    loginTimer_.cancel();
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    context_.closed(*this);
}

}  // namespace ardentis::server
