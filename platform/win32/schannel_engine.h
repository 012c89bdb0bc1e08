#pragma once

#include <memory>

#include "platform/tls_engine.h"

namespace ardentis::platform {

// The TLS engine on Windows: Schannel through SSPI, so the executable ships no TLS library.
// TLS 1.2, and 1.3 where the system offers it; the server's certificate is checked by the
// caller's decision alone (manual validation), its verdict reported in peer().
class SchannelEngine final : public TlsEngine {
  public:
    SchannelEngine();
    ~SchannelEngine() override;
    SchannelEngine(const SchannelEngine&) = delete;
    SchannelEngine& operator=(const SchannelEngine&) = delete;

    [[nodiscard]] std::expected<void, std::string> start(const std::string& host,
                                                         std::vector<std::byte>& out) override;
    void feed(std::span<const std::byte> received) override;
    [[nodiscard]] std::expected<Progress, std::string> handshake(
        std::vector<std::byte>& out) override;
    [[nodiscard]] TlsPeer peer() const override;
    [[nodiscard]] std::expected<void, std::string> seal(std::span<const std::byte> plain,
                                                        std::vector<std::byte>& out) override;
    [[nodiscard]] std::expected<Stream, std::string> unseal(std::vector<std::byte>& plain) override;

  private:
    struct Session;  // the SSPI handles, which need <windows.h>
    std::unique_ptr<Session> session_;
};

}  // namespace ardentis::platform
