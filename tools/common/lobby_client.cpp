#include "tools/common/lobby_client.h"

#include <asio/write.hpp>
#include <utility>

#include "protocol/des.h"
#include "protocol/message_kind.h"

namespace ardentis::tools {

LobbyClient::LobbyClient(asio::io_context& io, std::size_t index, std::string account,
                         ClientEvents& events)
    : socket_(io), stallTimer_(io), index_(index), account_(std::move(account)), events_(events) {}

void LobbyClient::connect(const asio::ip::tcp::endpoint& server, const std::string& password) {
    // A new life: nothing of the last connection's view is kept.
    reader_ = server::FrameReader();
    pending_.clear();
    loggedIn = false;
    roomno.clear();
    seated = false;
    roomsAsked.clear();
    closeAfterWrite_ = false;
    stalledUntil_ = {};
    protocol::LobbyMessage login{};
    login.setKind(protocol::command::kLogin, protocol::subcommand::kLogin);
    login.sparam1.set(account_);
    login.sparam2.set(protocol::des::EncryptHex(password));
    socket_ = asio::ip::tcp::socket(socket_.get_executor());
    tlsStream_ =
        tls_ != nullptr ? std::make_shared<TlsStream>(socket_.get_executor(), *tls_) : nullptr;
    std::error_code ignored;
    socket().open(server.protocol(), ignored);
    if (receiveBuffer > 0) {
        socket().set_option(asio::socket_base::receive_buffer_size(receiveBuffer), ignored);
    }
    const unsigned life = ++life_;
    socket().async_connect(server,
                           [self = shared_from_this(), login, life](const std::error_code& error) {
                               if (life != self->life_) {
                                   return;
                               }
                               if (error) {
                                   self->open_ = true;
                                   self->fail();
                                   return;
                               }
                               self->open_ = true;
                               std::error_code unset;
                               self->socket().set_option(asio::ip::tcp::no_delay(true), unset);
                               self->loggingIn(login);
                           });
}

void LobbyClient::loggingIn(const protocol::LobbyMessage& login) {
    if (!tlsStream_) {
        send(login);
        read();
        return;
    }
    tlsStream_->async_handshake(
        asio::ssl::stream_base::client,
        [self = shared_from_this(), login, life = life_](const std::error_code& error) {
            if (life != self->life_) {
                return;
            }
            if (error) {
                self->fail();
                return;
            }
            self->send(login);
            self->read();
        });
}

void LobbyClient::read() {
    if (std::chrono::steady_clock::now() < stalledUntil_) {
        stallTimer_.expires_at(stalledUntil_);
        stallTimer_.async_wait(
            [self = shared_from_this(), life = life_](const std::error_code& error) {
                if (!error && life == self->life_ && self->open_) {
                    self->read();
                }
            });
        return;
    }
    const auto space = reader_.space();
    onStream([&](auto& stream) {
        stream.async_read_some(asio::buffer(space.data(), space.size()),
                               [self = shared_from_this(), life = life_, keep = tlsStream_](
                                   const std::error_code& error, std::size_t count) {
                                   if (life != self->life_) {
                                       return;
                                   }
                                   if (error) {
                                       self->fail();
                                       return;
                                   }
                                   self->reader_.commit(count,
                                                        [&](const protocol::LobbyMessage& message) {
                                                            self->events_.onRecord(*self, message);
                                                            return self->open_;
                                                        });
                                   if (self->open_) {
                                       self->read();
                                   }
                               });
    });
}

void LobbyClient::send(const protocol::LobbyMessage& message) {
    const auto bytes = message.toBytes();
    sendBytes(std::vector<std::byte>(bytes.begin(), bytes.end()));
}

void LobbyClient::sendBytes(std::vector<std::byte> bytes) {
    if (!open_ || closeAfterWrite_) {
        return;
    }
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    if (writing_.empty()) {
        flush();
    }
}

void LobbyClient::cutAfter(const protocol::LobbyMessage& message, std::size_t count) {
    const auto bytes = message.toBytes();
    sendBytes(std::vector<std::byte>(bytes.begin(), bytes.begin() + static_cast<long>(count)));
    closeAfterWrite_ = true;
    if (writing_.empty()) {
        fail(true);
    }
}

void LobbyClient::stall(std::chrono::milliseconds time) {
    stalledUntil_ = std::chrono::steady_clock::now() + time;
}

void LobbyClient::flush() {
    if (pending_.empty() || !open_) {
        if (closeAfterWrite_) {
            fail(true);
        }
        return;
    }
    writing_.swap(pending_);
    onStream([&](auto& stream) {
        asio::async_write(stream, asio::buffer(writing_),
                          [self = shared_from_this(), life = life_, keep = tlsStream_](
                              const std::error_code& error, std::size_t) {
                              if (life != self->life_) {
                                  return;
                              }
                              self->writing_.clear();
                              if (error) {
                                  self->fail();
                                  return;
                              }
                              self->flush();
                          });
    });
}

void LobbyClient::close() {
    fail(true);
}

void LobbyClient::fail(bool here) {
    if (!open_) {
        return;
    }
    open_ = false;
    closedHere_ = here;
    std::error_code ignored;
    socket().close(ignored);
    stallTimer_.cancel();
    writing_.clear();
    events_.onClosed(*this);
}

}  // namespace ardentis::tools
