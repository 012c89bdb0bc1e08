#include "server/session.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <asio/post.hpp>
#include <asio/ssl/error.hpp>
#include <utility>

#include "server/log.h"

namespace ardentis::server {
namespace {

// The peer's address, and its address and port for the log.
std::pair<std::string, std::string> namesOf(const asio::ip::tcp::socket& socket) {
    std::error_code error;
    const auto remote = socket.remote_endpoint(error);
    if (error) {
        return {"unknown", "unknown"};
    }
    const std::string address = remote.address().to_string();
    return {address, address + ":" + std::to_string(remote.port())};
}

void setIntOption(int fd, int level, int name, int value) {
    ::setsockopt(fd, level, name, &value, sizeof value);
}

}  // namespace

Session::Session(Transport transport, Context& context)
    : Connection(context.options, context.lobby, Clock::now()),
      transport_(std::move(transport)),
      loginTimer_(transport_.lowest().get_executor()),
      context_(context) {
    auto [address, peerName] = namesOf(transport_.lowest());
    identify(std::move(address), std::move(peerName));
}

void Session::configureSocket() {
    auto& socket = transport_.lowest();
    std::error_code ignored;
    socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    socket.set_option(asio::socket_base::keep_alive(true), ignored);
    // Half-open peers go away after the idle time plus six probes ten seconds apart.
    const int fd = socket.native_handle();
    setIntOption(fd, IPPROTO_TCP, TCP_KEEPIDLE,
                 static_cast<int>(context_.options.keepAliveIdle.count()));
    setIntOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, 10);
    setIntOption(fd, IPPROTO_TCP, TCP_KEEPCNT, 6);
}

void Session::start() {
    configureSocket();
    if (!transport_.encrypted()) {
        // For the writes that take what fits at once; the TLS stream does its own.
        std::error_code ignored;
        transport_.lowest().non_blocking(true, ignored);
    }
    log::line(who() + (transport_.encrypted() ? " connected over TLS" : " connected"));
    awaitLogin();  // also bounds a handshake that stalls
    handshaking_ = transport_.encrypted();
    transport_.handshake(
        [self = shared_from_this()](const std::error_code& error) { self->onHandshake(error); });
}

void Session::onHandshake(const std::error_code& error) {
    handshaking_ = false;
    if (closed()) {
        return;
    }
    if (error) {
        const bool gone = error == asio::error::eof || error == asio::ssl::error::stream_truncated;
        close("TLS handshake: " + (gone ? std::string("closed by the client") : error.message()));
        return;
    }
    if (transport_.encrypted()) {
        log::line(who() + " TLS: " + transport_.negotiated());
    }
    read();
}

void Session::awaitLogin() {
    const std::uint64_t round = ++loginRound_;
    loginTimer_.expires_after(context_.options.loginTimeout);
    loginTimer_.async_wait([self = shared_from_this(), round](const std::error_code& error) {
        // A wait already due when a check began is out of date: only the latest one counts.
        if (!error && round == self->loginRound_ && !self->loggedIn()) {
            self->close(self->handshaking_ ? "TLS handshake: not done in time"
                                           : "no log-in in time");
        }
    });
}

void Session::read() {
    const auto space = readSpace();
    transport_.readSome(
        asio::buffer(space.data(), space.size()),
        [self = shared_from_this(), at = space.data()](
            const std::error_code& error, std::size_t count) { self->onRead(error, count, at); });
}

void Session::onRead(const std::error_code& error, std::size_t count, const std::byte* at) {
    if (closed()) {
        return;
    }
    if (error) {
        close(error == asio::error::eof ? "closed by peer" : "read: " + error.message());
        return;
    }
    // A TLS record of the handshake (0x16, version 3.x) where a log-in record belongs: a
    // client meant for the TLS port. Only the first bytes can tell.
    if (std::exchange(firstRead_, false) && !transport_.encrypted() && at[0] == std::byte{0x16} &&
        (count == 1 || at[1] == std::byte{0x03})) {
        close("a TLS client came to the plain port");
        return;
    }
    context_.metrics.bytesIn += count;
    received(count, Clock::now());
    if (!closed()) {
        read();
    }
}

void Session::checkLogin(LoginAttempt attempt) {
    // The time a check takes is the server's own (a queue of password hashes after a
    // restart, say), not the client's: the log-in timeout waits meanwhile.
    ++loginRound_;
    loginTimer_.cancel();
    context_.login.check(std::move(attempt), address(),
                         [weak = weak_from_this()](std::optional<LoginGrant> grant) {
                             if (auto self = weak.lock()) {
                                 if (!grant) {
                                     ++self->context_.metrics.failedLogins;
                                 }
                                 self->loginAnswered(std::move(grant));
                                 if (!self->loggedIn() && !self->closed()) {
                                     self->awaitLogin();  // another try: a full period for it
                                 }
                             }
                         });
}

void Session::lingerAtMost() {
    // A client that vanished takes nothing: its last records are not worth waiting long for.
    loginTimer_.expires_after(std::chrono::seconds(5));
    loginTimer_.async_wait([self = shared_from_this()](const std::error_code& error) {
        if (!error) {
            self->close("replaced by a new log-in; its last records not taken");
        }
    });
}

void Session::closeSoon() {
    ++context_.metrics.slowCutOffs;
    asio::post(transport_.lowest().get_executor(),
               [self = shared_from_this()] { self->close("reader too slow"); });
}

void Session::flushSoon() {
    if (queuedAt_ == Clock::time_point{}) {
        queuedAt_ = Clock::now();
    }
    if (flushScheduled_) {
        return;
    }
    flushScheduled_ = true;
    context_.flushes.add(shared_from_this());
}

void Session::flush() {
    flushScheduled_ = false;
    if (closed() || queue().writing() || queue().pending() == 0) {
        return;
    }
    const auto& batch = queue().startBatch();
    context_.metrics.recordsOut += batch.size();
    buffers_.clear();
    buffers_.reserve(batch.size());
    for (const Frame& frame : batch) {
        buffers_.emplace_back(frame->data(), frame->size());
    }
    // Most batches fit the socket's buffer: write them at once, with no operation to
    // complete later. Only what does not fit waits for the socket (on TLS, everything).
    std::size_t done = 0;
    while (done < buffers_.size()) {
        std::error_code error;
        std::size_t written =
            transport_.writeNow(std::span<const asio::const_buffer>(buffers_).subspan(done), error);
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
    const auto now = Clock::now();
    if (queuedAt_ != Clock::time_point{}) {
        context_.metrics.delivery.observe(now - std::exchange(queuedAt_, {}));
    }
    batchWritten(now);
    transport_.writeDone();
    // A reader that fell behind leaves a batch as large as its bound; thousands of idle
    // connections must not each keep room for one.
    constexpr std::size_t kKeptBuffers = 256;
    if (buffers_.capacity() > kKeptBuffers) {
        std::vector<asio::const_buffer>().swap(buffers_);
    }
}

void Session::writeRest(std::size_t written) {
    transport_.write(std::span<const asio::const_buffer>(buffers_).subspan(written),
                     [self = shared_from_this()](const std::error_code& error, std::size_t) {
                         self->onWritten(error);
                     });
}

void Session::onWritten(const std::error_code& error) {
    finishBatch();
    if (closed()) {
        return;
    }
    if (error) {
        close("write: " + error.message());
        return;
    }
    flush();
}

void Session::ended() {
    const auto self = shared_from_this();  // the registry may hold the last reference
    std::error_code ignored;
    loginTimer_.cancel();
    auto& socket = transport_.lowest();
    socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket.close(ignored);
    context_.closed(*this);
}

}  // namespace ardentis::server
