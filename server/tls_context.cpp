#include "server/tls_context.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <unistd.h>

#include <utility>

namespace ardentis::server {
namespace {

// For TLS 1.2; TLS 1.3 has only AEAD suites and OpenSSL's defaults for it stand.
constexpr const char* kTls12Ciphers =
    "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:"
    "ECDHE-ECDSA-AES256-GCM-SHA384:ECDHE-RSA-AES256-GCM-SHA384:"
    "ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305";

// OpenSSL's reason for a failure, in words.
std::string reason(const std::error_code& error) {
    const unsigned long code = error.category() == asio::error::get_ssl_category()
                                   ? static_cast<unsigned int>(error.value())
                                   : ERR_peek_last_error();
    ERR_clear_error();
    const char* text = code != 0 ? ERR_reason_error_string(code) : nullptr;
    return text != nullptr ? text : error.message();
}

}  // namespace

std::expected<std::unique_ptr<asio::ssl::context>, std::string> makeTlsContext(
    const ServerOptions& options) {
    if (options.tlsCert.empty() || options.tlsKey.empty()) {
        return std::unexpected("--tls-listen wants --tls-cert FILE and --tls-key FILE");
    }
    auto context = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
    SSL_CTX* ctx = context->native_handle();
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_options(
        ctx, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION | SSL_OP_CIPHER_SERVER_PREFERENCE);
    if (SSL_CTX_set_cipher_list(ctx, kTls12Ciphers) != 1) {
        return std::unexpected("TLS: the cipher list is refused: " + reason({}));
    }
    // OpenSSL words a file it cannot open vaguely; the system says why.
    for (const auto& [option, file] :
         {std::pair("--tls-cert ", &options.tlsCert), std::pair("--tls-key ", &options.tlsKey)}) {
        if (::access(file->c_str(), R_OK) != 0) {
            return std::unexpected("cannot read " + std::string(option) + *file + ": " +
                                   std::generic_category().message(errno));
        }
    }
    std::error_code error;
    context->use_certificate_chain_file(options.tlsCert, error);
    if (error) {
        return std::unexpected("cannot load --tls-cert " + options.tlsCert + ": " + reason(error));
    }
    // OpenSSL checks here that the key is the certificate's.
    context->use_private_key_file(options.tlsKey, asio::ssl::context::pem, error);
    if (error) {
        return std::unexpected("cannot load --tls-key " + options.tlsKey + ": " + reason(error));
    }
    return context;
}

}  // namespace ardentis::server
