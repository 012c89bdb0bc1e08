#pragma once

#include <asio/ip/tcp.hpp>
#include <asio/ssl/context.hpp>
#include <asio/ssl/stream.hpp>
#include <asio/write.hpp>
#include <cstddef>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

namespace ardentis::server {

// A session's byte stream: the plain socket, or TLS over it. The session reads and writes
// through it alike; it asks which only for what differs (handshake, log, first bytes).
class Transport {
  public:
    using Plain = asio::ip::tcp::socket;
    using Tls = asio::ssl::stream<asio::ip::tcp::socket>;

    explicit Transport(Plain socket) : stream_(std::move(socket)) {}
    Transport(Plain socket, asio::ssl::context& tls)
        : stream_(std::in_place_type<Tls>, std::move(socket), tls) {}

    [[nodiscard]] bool encrypted() const noexcept { return std::holds_alternative<Tls>(stream_); }
    // The TCP socket under it all, for socket options, addresses and closing.
    [[nodiscard]] Plain& lowest() noexcept {
        auto* tls = std::get_if<Tls>(&stream_);
        return tls != nullptr ? tls->next_layer() : *std::get_if<Plain>(&stream_);
    }

    // The server's side of the TLS handshake; at once (and with no error) when plain.
    template <typename Handler>
    void handshake(Handler&& handler) {
        if (auto* tls = std::get_if<Tls>(&stream_)) {
            tls->async_handshake(asio::ssl::stream_base::server, std::forward<Handler>(handler));
        } else {
            std::forward<Handler>(handler)(std::error_code());
        }
    }
    // The protocol and cipher agreed, for the log; empty when plain.
    [[nodiscard]] std::string negotiated();

    template <typename Handler>
    void readSome(asio::mutable_buffer buffer, Handler&& handler) {
        std::visit([&](auto& s) { s.async_read_some(buffer, std::forward<Handler>(handler)); },
                   stream_);
    }
    // Writes what the socket takes now without waiting, and returns how much that was. Plain
    // only: the TLS stream writes nothing here, since non-blocking writes would tear its
    // records; everything then goes through write().
    std::size_t writeNow(std::span<const asio::const_buffer> buffers, std::error_code& error);
    // Writes all of `buffers`, which must stay put until the handler runs; then writeDone().
    template <typename Handler>
    void write(std::span<const asio::const_buffer> buffers, Handler&& handler) {
        if (auto* tls = std::get_if<Tls>(&stream_)) {
            // The stream seals each buffer it is given on its own: a batch of small records
            // would cost a TLS record and a socket write each. One run of bytes costs a few.
            gather(buffers);
            asio::async_write(*tls, asio::buffer(gathered_), std::forward<Handler>(handler));
        } else {
            asio::async_write(*std::get_if<Plain>(&stream_), buffers,
                              std::forward<Handler>(handler));
        }
    }
    // A write has ended: a large gathered batch is not kept for the next one.
    void writeDone();

  private:
    void gather(std::span<const asio::const_buffer> buffers);

    std::variant<Plain, Tls> stream_;
    std::vector<std::byte> gathered_;  // TLS only: the batch being written, in one run
};

}  // namespace ardentis::server
