#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ardentis::testing {

// The server end of a real loopback connection, with plain blocking calls: listens on
// 127.0.0.1 at a port the kernel chooses and accepts one client. Waits are bounded, so a
// broken client fails the test instead of hanging it.
class LoopbackPeer {
  public:
    LoopbackPeer();
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    [[nodiscard]] std::uint16_t port() const;
    // Waits for the client's connection; false when none came.
    [[nodiscard]] bool accept();
    void send(std::span<const std::byte> bytes);
    // Waits until `count` bytes have come (or the wait ran out) and returns those that came.
    [[nodiscard]] std::vector<std::byte> receive(std::size_t count);
    // Takes whatever has come, up to `limit` bytes, without waiting.
    [[nodiscard]] std::vector<std::byte> receiveWaiting(std::size_t limit);
    void close();

  private:
    struct Sockets;
    std::unique_ptr<Sockets> sockets_;
};

// The CPU time the calling thread has used so far: a client thread that holds a loop open
// while the peer sends must stay near idle.
[[nodiscard]] std::chrono::nanoseconds threadCpuTime();

}  // namespace ardentis::testing
