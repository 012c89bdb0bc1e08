#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ardentis::testing {

// One end of a real loopback connection, with plain blocking calls: by default the server end,
// listening on 127.0.0.1 at a port the kernel chooses for one client. Waits are bounded, so a
// broken far end fails the test instead of hanging it.
class LoopbackPeer {
  public:
    LoopbackPeer();
    // The client end instead, connected to 127.0.0.1:`port` (not at all when that fails); a
    // receive buffer > 0, set before connecting, makes a slow reader when small.
    explicit LoopbackPeer(std::uint16_t port, int receiveBuffer = 0);
    ~LoopbackPeer();

    [[nodiscard]] std::uint16_t port() const;
    // Waits for the client's connection; false when none came.
    [[nodiscard]] bool accept();
    void send(std::span<const std::byte> bytes);  // throws when the bytes cannot all go
    [[nodiscard]] bool trySend(std::span<const std::byte> bytes);
    // Waits until `count` bytes have come (up to `firstWait` for the first, the usual bound for
    // the rest, so a piece is never cut) and returns those that came.
    [[nodiscard]] std::vector<std::byte> receive(std::size_t count,
                                                 std::chrono::milliseconds firstWait = kWait);
    // Takes whatever has come, up to `limit` bytes, without waiting.
    [[nodiscard]] std::vector<std::byte> receiveWaiting(std::size_t limit);
    // True once a receive found the connection closed by the far end.
    [[nodiscard]] bool ended() const;
    void close();

    static constexpr std::chrono::milliseconds kWait{5000};

  private:
    struct Sockets;
    std::unique_ptr<Sockets> sockets_;
};

#ifndef _WIN32
// The idle seconds before keep-alive probes, of every socket of this process that probes.
[[nodiscard]] std::vector<int> keepAliveIdleTimes();
#endif

// Holds a UDP port on all local addresses, as a running game holds its port, until
// release() or the end of the object. The kernel picks a free port.
class UdpPortHolder {
  public:
    UdpPortHolder();
    ~UdpPortHolder();

    // The port stays known after release().
    [[nodiscard]] std::uint16_t port() const;
    void release();

  private:
    struct Socket;
    std::unique_ptr<Socket> socket_;
};

}  // namespace ardentis::testing
