#pragma once

#include <cstdint>

namespace ardentis::sim {

// A UDP port held the way the hosting game holds its port 5000, until release() or the end
// of the object. It is bound on the loopback address: the client's port check binds the
// port on all addresses, which fails while any local address holds it, so loopback is
// enough to be seen and keeps the simulated game off every real network.
class GamePort {
  public:
    GamePort() = default;
    ~GamePort();
    GamePort(const GamePort&) = delete;
    GamePort& operator=(const GamePort&) = delete;

    // False (and nothing held) when the port is taken or sockets are unavailable.
    [[nodiscard]] bool take(std::uint16_t port);
    void release();

  private:
    std::uintptr_t socket_ = 0;
    bool held_ = false;
    bool started_ = false;  // WSAStartup done, so WSACleanup is owed
};

}  // namespace ardentis::sim
