#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/tls_engine.h"

namespace ardentis::settings {

inline constexpr std::string_view kServersSection = R"(Software\Morvane\Ardentis\servers)";

// What to do with the server a TLS handshake met.
enum class ServerTrust : std::uint8_t {
    Accept,    // its certificate chains to the system's roots, or is the one the user accepted
    AskFirst,  // a certificate the system does not vouch for, never seen for this server
    Mismatch,  // not the certificate the user accepted for this server
};

[[nodiscard]] ServerTrust judgeServer(const platform::TlsPeer& peer,
                                      const std::optional<std::string>& pinned);

// The certificates the user accepted, one per server: under kServersSection, a text value
// named "host:port" holding the certificate's SHA-256 fingerprint.
class ServerPins {
  public:
    explicit ServerPins(platform::Registry& registry) : registry_(registry) {}

    [[nodiscard]] std::optional<std::string> pinned(std::string_view host,
                                                    std::uint16_t port) const;
    [[nodiscard]] std::expected<void, platform::RegistryError> pin(std::string_view host,
                                                                   std::uint16_t port,
                                                                   std::string_view fingerprint);

  private:
    platform::Registry& registry_;
};

}  // namespace ardentis::settings
