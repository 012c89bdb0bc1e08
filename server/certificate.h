#pragma once

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

namespace ardentis::server {

// Makes a TLS certificate for a server that has none from an authority: a new P-256 key in
// `directory`/key.pem (mode 0600) and a self-signed certificate for `name` (a host name or
// an IP address) in `directory`/cert.pem, valid ten years. Refuses to overwrite either file.
// Returns the certificate's SHA-256 fingerprint (upper-case hex pairs joined by colons), for
// players to compare; the error is one line.
[[nodiscard]] std::expected<std::string, std::string> makeCertificate(
    std::string_view name, const std::filesystem::path& directory);

}  // namespace ardentis::server
