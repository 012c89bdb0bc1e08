#include "cuttable_link.h"

#include <array>
#include <asio/connect.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/post.hpp>
#include <asio/write.hpp>
#include <thread>
#include <vector>

namespace ardentis::e2e {
namespace {

using asio::ip::tcp;

// One client's connection and its twin to the server, each side copied to the other.
struct Pair : std::enable_shared_from_this<Pair> {
    explicit Pair(asio::io_context& io) : client(io), server(io) {}

    void pump(tcp::socket& from, tcp::socket& to, std::array<char, 4096>& buffer) {
        from.async_read_some(asio::buffer(buffer), [self = shared_from_this(), &from, &to, &buffer](
                                                       std::error_code error, std::size_t n) {
            if (error) {
                self->close();
                return;
            }
            asio::async_write(to, asio::buffer(buffer.data(), n),
                              [self, &from, &to, &buffer](std::error_code e, std::size_t) {
                                  if (e) {
                                      self->close();
                                  } else {
                                      self->pump(from, to, buffer);
                                  }
                              });
        });
    }
    void close() {
        std::error_code ignored;
        client.close(ignored);
        server.close(ignored);
    }

    tcp::socket client;
    tcp::socket server;
    std::array<char, 4096> up{};
    std::array<char, 4096> down{};
};

}  // namespace

struct CuttableLink::Impl {
    explicit Impl(std::uint16_t serverPort)
        : target(asio::ip::make_address("127.0.0.1"), serverPort),
          acceptor(io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0)) {
        accept();
        thread = std::jthread([this] { io.run(); });
    }
    ~Impl() {
        asio::post(io, [this] {
            std::error_code ignored;
            acceptor.close(ignored);
            closeAll();
        });
    }

    void accept() {
        auto pair = std::make_shared<Pair>(io);
        acceptor.async_accept(pair->client, [this, pair](std::error_code error) {
            if (error) {
                return;
            }
            std::error_code failed;
            pair->server.connect(target, failed);
            if (failed) {
                pair->close();
            } else {
                pairs.push_back(pair);
                pair->pump(pair->client, pair->server, pair->up);
                pair->pump(pair->server, pair->client, pair->down);
            }
            accept();
        });
    }
    void closeAll() {
        for (const auto& weak : pairs) {
            if (const auto pair = weak.lock()) {
                pair->close();
            }
        }
        pairs.clear();
    }

    asio::io_context io;
    tcp::endpoint target;
    tcp::acceptor acceptor;
    std::vector<std::weak_ptr<Pair>> pairs;
    std::jthread thread;  // last: joined before the rest goes
};

CuttableLink::CuttableLink(std::uint16_t serverPort) : impl_(std::make_unique<Impl>(serverPort)) {}

CuttableLink::~CuttableLink() = default;

std::uint16_t CuttableLink::port() const {
    return impl_->acceptor.local_endpoint().port();
}

void CuttableLink::cut() {
    asio::post(impl_->io, [impl = impl_.get()] { impl->closeAll(); });
}

}  // namespace ardentis::e2e
