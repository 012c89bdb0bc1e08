#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ardentis::platform {

// What the handshake told of the server.
struct TlsPeer {
    std::vector<std::byte> certificate;  // the server's own certificate, DER
    std::string fingerprint;             // its SHA-256, "AB:CD:...", upper-case pairs
    bool trusted = false;                // chains to the system's trusted roots and names the host
    std::string protocol;                // "TLS 1.2", "TLS 1.3"
    std::string cipher;  // the cipher suite or, where the system names no suite, its cipher
};

// One TLS client connection's cryptography, over bytes its caller carries to and from the
// socket: nothing here blocks or touches the network. Every call works on what was fed so
// far. Errors are one line of text for the user and the traffic log.
class TlsEngine {
  public:
    enum class Progress : std::uint8_t { NeedMore, Established };
    enum class Stream : std::uint8_t { Open, ClosedByPeer };

    virtual ~TlsEngine() = default;

    // Begins a handshake with `host` (also sent as the server's name); appends what to send.
    [[nodiscard]] virtual std::expected<void, std::string> start(const std::string& host,
                                                                 std::vector<std::byte>& out) = 0;
    // Bytes received from the server, in order.
    virtual void feed(std::span<const std::byte> received) = 0;
    // Goes on with the handshake; appends what to send (possibly nothing).
    [[nodiscard]] virtual std::expected<Progress, std::string> handshake(
        std::vector<std::byte>& out) = 0;
    // Once established: the server, its certificate and what the connection uses. The
    // engine accepts any certificate; whether to go on is the caller's decision.
    [[nodiscard]] virtual TlsPeer peer() const = 0;
    // Once established: seals `plain` into records appended to `out`.
    [[nodiscard]] virtual std::expected<void, std::string> seal(std::span<const std::byte> plain,
                                                                std::vector<std::byte>& out) = 0;
    // Once established: opens every whole record fed so far, appending their data to
    // `plain`. A part of a record stays fed until the rest comes.
    [[nodiscard]] virtual std::expected<Stream, std::string> unseal(
        std::vector<std::byte>& plain) = 0;
};

// The system's own TLS: Schannel on Windows, OpenSSL elsewhere.
[[nodiscard]] std::unique_ptr<TlsEngine> makeSystemTlsEngine();

}  // namespace ardentis::platform
