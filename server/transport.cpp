#include "server/transport.h"

#include <openssl/ssl.h>

namespace ardentis::server {

std::string Transport::negotiated() {
    auto* tls = std::get_if<Tls>(&stream_);
    if (tls == nullptr) {
        return {};
    }
    SSL* ssl = tls->native_handle();
    return std::string(SSL_get_version(ssl)) + " " + SSL_get_cipher_name(ssl);
}

void Transport::gather(std::span<const asio::const_buffer> buffers) {
    gathered_.clear();
    for (const asio::const_buffer& buffer : buffers) {
        const auto* bytes = static_cast<const std::byte*>(buffer.data());
        gathered_.insert(gathered_.end(), bytes, bytes + buffer.size());
    }
}

void Transport::writeDone() {
    // Thousands of idle connections must not each keep room for one large batch.
    constexpr std::size_t kKeptBytes = std::size_t{16} * 1024;
    if (gathered_.capacity() > kKeptBytes) {
        std::vector<std::byte>().swap(gathered_);
    }
}

std::size_t Transport::writeNow(std::span<const asio::const_buffer> buffers,
                                std::error_code& error) {
    auto* plain = std::get_if<Plain>(&stream_);
    if (plain == nullptr) {
        error = asio::error::would_block;
        return 0;
    }
    return plain->write_some(buffers, error);
}

}  // namespace ardentis::server
