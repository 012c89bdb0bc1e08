#pragma once

#include <asio/ssl/context.hpp>
#include <expected>
#include <memory>
#include <string>

#include "server/options.h"

namespace ardentis::server {

// The server's TLS settings with its certificate and key (PEM files named in the options):
// TLS 1.2 at least, 1.3 preferred, forward-secret AEAD ciphers only, no compression and no
// renegotiation. The error is one line naming what did not load.
[[nodiscard]] std::expected<std::unique_ptr<asio::ssl::context>, std::string> makeTlsContext(
    const ServerOptions& options);

}  // namespace ardentis::server
