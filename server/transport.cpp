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
