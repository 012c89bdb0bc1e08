#include "tools/loadgen/load_client.h"

#include <asio/connect.hpp>
#include <asio/write.hpp>
#include <utility>

#include "protocol/des.h"

namespace ardentis::loadgen {

LoadClient::LoadClient(asio::io_context& io, std::size_t index, std::string account,
                       ClientEvents& events)
    : socket_(io), index_(index), account_(std::move(account)), events_(events) {}

void LoadClient::start(const asio::ip::tcp::endpoint& server, const std::string& password) {
    protocol::LobbyMessage login{};
    login.setKind(0, 0);
    login.sparam1.set(account_);
    login.sparam2.set(protocol::des::EncryptHex(password));
    socket_.async_connect(server, [self = shared_from_this(), login](const std::error_code& error) {
        if (error) {
            self->fail();
            return;
        }
        std::error_code ignored;
        self->socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
        self->open_ = true;
        self->send(login);
        self->read();
    });
}

void LoadClient::read() {
    const auto space = reader_.space();
    socket_.async_read_some(
        asio::buffer(space.data(), space.size()),
        [self = shared_from_this()](const std::error_code& error, std::size_t count) {
            if (error) {
                self->fail();
                return;
            }
            self->reader_.commit(count, [&](const protocol::LobbyMessage& message) {
                self->events_.onRecord(*self, message);
                return self->open_;
            });
            if (self->open_) {
                self->read();
            }
        });
}

void LoadClient::send(const protocol::LobbyMessage& message) {
    if (!open_) {
        return;
    }
    const auto bytes = message.toBytes();
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    if (writing_.empty()) {
        flush();
    }
}

void LoadClient::flush() {
    if (pending_.empty() || !open_) {
        return;
    }
    writing_.swap(pending_);
    asio::async_write(socket_, asio::buffer(writing_),
                      [self = shared_from_this()](const std::error_code& error, std::size_t) {
                          self->writing_.clear();
                          if (error) {
                              self->fail();
                              return;
                          }
                          self->flush();
                      });
}

void LoadClient::close() {
    open_ = false;
    std::error_code ignored;
    socket_.close(ignored);
}

void LoadClient::fail() {
    close();
    if (!reported_) {
        reported_ = true;
        events_.onClosed(*this);
    }
}

}  // namespace ardentis::loadgen
